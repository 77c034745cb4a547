// Under Node, the module reads its .wasm from beside its script: Emscripten 3.1.6 would fetch()
// it, which Node 18 and later have but cannot use for a file path.
if (typeof process == 'object' && typeof process.versions == 'object' && typeof process.versions.node == 'string' &&
    typeof require == 'function' && !Module['wasmBinary']) {
  Module['wasmBinary'] = require('fs').readFileSync(require('path').join(__dirname, 'kavex-core.wasm'));
}
