# The shipped sample images, opened as `kavex-dump --all --details` opens them: both layouts
# are read without a Warning or an Error, show the same tree, and hold every kind they are
# meant to show.   cmake -DDUMP=... -DSAMPLES=... -P check_samples.cmake
set(expected
  "TMCU MCU (V 1.00, 08-12-26, KAVEX-1)"
  "i (  18) Checksum of MCU"
  "TTextSubchunk 0x00000004, RUS (32 entries)"
  "- Language: Русский"
  "- Entry 13: Eintrag hinzufügen"
  "- Language: (common)"
  "TFontEntry Small/5x7 (5x7, 68 chars)"
  "TFontEntry Large/10x14 (10x14, 68 chars)"
  "TToneSubchunk 0x00000001 (Ring ring)"
  "TPLMNSubchunk 0x00000001 (244)"
  "- MCC 91: Telia"
  "- MCC 99: Beeline"
  "TLDBSubchunk" "TAORDSubchunk" "TWUGSSubchunk" "TLPCSSubchunk"
  "TChunk GSMC (V 1.00)"
  "? (  25) Unknows chunk Name/Type"
  "TChunk END"
  "TEEPROM EEPROM")

foreach(layout fls wt)
  set(file ${SAMPLES}/kavex-sample.${layout})
  execute_process(COMMAND ${DUMP} --all --details ${file} OUTPUT_VARIABLE out_${layout} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "kavex-dump ended with ${status} on ${file}")
  endif()
  string(REGEX MATCHALL "\n[*!] \\([^\n]*" bad "\n${out_${layout}}")
  if(bad)
    message(FATAL_ERROR "${file} logs warnings or errors:${bad}")
  endif()
  foreach(text IN LISTS expected)
    string(FIND "${out_${layout}}" "${text}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${file}: no line with \"${text}\"")
    endif()
  endforeach()
  # The tree without its first line (the file name) and without the log.
  string(FIND "${out_${layout}}" "\n\n" log_at)
  string(SUBSTRING "${out_${layout}}" 0 ${log_at} tree)
  string(REGEX REPLACE "^[^\n]*\n" "" tree_${layout} "${tree}")
endforeach()
if(NOT tree_fls STREQUAL tree_wt)
  message(FATAL_ERROR "the two layouts show different trees")
endif()

# Every glyph of the two fonts is drawn: none is blank.
execute_process(COMMAND ${DUMP} --all --glyphs ${SAMPLES}/kavex-sample.fls OUTPUT_VARIABLE glyphs)
string(REGEX MATCHALL "Glyph 0x[0-9A-F]+\n( *- [.#]+\n)+" drawn "${glyphs}")
list(LENGTH drawn count)
if(NOT count EQUAL 136)
  message(FATAL_ERROR "expected 136 glyphs in the two fonts, found ${count}")
endif()
foreach(glyph IN LISTS drawn)
  if(NOT glyph MATCHES "#")
    message(FATAL_ERROR "a blank glyph: ${glyph}")
  endif()
endforeach()
