#pragma once
// Every section and value name the program keeps in the per-user settings store, in one place:
// stored settings outlive the code, so a name is changed here or not at all.

#include <QString>

namespace kavex::settings {

// Sections.
inline const QString Reopen = QStringLiteral("Reopen");            // the recent files "0".."8", InitialDir
inline const QString PosMain = QStringLiteral("PosMain");          // the main window's placement
inline const QString PosMainTree = QStringLiteral("PosMainTree");  // the tree's width
inline const QString PosLog = QStringLiteral("PosLog");            // the log window's placement
inline const QString DlgExport = QStringLiteral("DlgExport");      // the log export dialog
inline const QString LogOptions = QStringLiteral("LogOptions");
inline const QString Unicode = QStringLiteral("Unicode");          // the font of the text entries
inline const QString Find = QStringLiteral("Find");
inline const QString Bytes = QStringLiteral("Bytes");
inline const QString FindBytes = QStringLiteral("FindBytes");      // the pattern's kind and scope
inline const QString Export = QStringLiteral("Export");            // the folders the exports last wrote into
inline const QString FontPicture = QStringLiteral("FontPicture");
inline const QString TreeOptions = QStringLiteral("TreeOptions");  // the image tree's options

// Window placement.
inline const QString Left = QStringLiteral("Left");
inline const QString Top = QStringLiteral("Top");
inline const QString Width = QStringLiteral("Width");
inline const QString Height = QStringLiteral("Height");
inline const QString WindowState = QStringLiteral("WindowState");
// Dialogs.
inline const QString InitialDir = QStringLiteral("InitialDir");
inline const QString Filename = QStringLiteral("Filename");
// Log options.
inline const QString ClearAtNewFile = QStringLiteral("ClearAtNewFile");
inline const QString FollowNewRows = QStringLiteral("FollowNewRows");
// The Unicode font.
inline const QString FontName = QStringLiteral("FontName");
inline const QString FontSize = QStringLiteral("FontSize");
inline const QString FontCharset = QStringLiteral("FontCharset");
// Views shown or hidden, their height (Height above) and options.
inline const QString Visible = QStringLiteral("Visible");
inline const QString Operators = QStringLiteral("Operators");
inline const QString Tones = QStringLiteral("Tones");
// Export folders and the font picture's zoom.
inline const QString TextsFolder = QStringLiteral("TextsFolder");
inline const QString FontsFolder = QStringLiteral("FontsFolder");
inline const QString BytesFolder = QStringLiteral("BytesFolder");
inline const QString Zoom = QStringLiteral("Zoom");
// Find bytes: how the pattern is read (0 hex, 1 Windows-1252 text, 2 UTF-16BE text) and where.
inline const QString PatternKind = QStringLiteral("PatternKind");
inline const QString WholeImage = QStringLiteral("WholeImage");
// Tree options.
inline const QString MarkProblems = QStringLiteral("MarkProblems");

}  // namespace kavex::settings
