// The page's view of the session: one class with plain values in and JSON
// text out, exported with embind.
#include <emscripten/bind.h>

#include "wasm/session.h"

namespace {

std::string ops(const web::Session& s, int from) {
    return s.ops(from < 0 ? 0 : static_cast<size_t>(from));
}
// The ops as {numbers: Int32Array, texts: string}: no text to parse.
emscripten::val opsPacked(const web::Session& s, int from) {
    static std::vector<int32_t> numbers;
    static std::string texts;
    s.opsPacked(from < 0 ? 0 : static_cast<size_t>(from), numbers, texts);
    emscripten::val out = emscripten::val::object();
    out.set("numbers",
            emscripten::val(emscripten::typed_memory_view(numbers.size(), numbers.data()))
                .call<emscripten::val>("slice"));
    out.set("texts", texts);
    return out;
}
int opCount(const web::Session& s) {
    return static_cast<int>(s.opCount());
}
int runStart(const web::Session& s) {
    return static_cast<int>(s.runStart());
}
std::string key(web::Session& s, int k, int mods, bool drawing) {
    return s.key(k, static_cast<unsigned>(mods), drawing);
}
std::string whileDrawing(const web::Session& s, int k, int mods) {
    return s.whileDrawing(k, static_cast<unsigned>(mods));
}
std::string setCondition(web::Session& s, const std::string& name, int value) {
    return s.setCondition(name, value);
}
std::string iniImport(web::Session& s, const std::string& bytes) {
    return s.iniImport(bytes);
}
// The settings file's bytes as they are (Shift-JIS), not as a text.
emscripten::val iniExport(const web::Session& s) {
    static std::string bytes;
    bytes = s.iniExport();
    return emscripten::val(emscripten::typed_memory_view(
        bytes.size(), reinterpret_cast<const unsigned char*>(bytes.data())));
}
std::string loadStories(web::Session& s, const std::string& bytes) {
    return s.loadStories(bytes);
}

// A worksheet: the choices one by one (see web::SheetRequest).
std::string sheet(const web::Session& s, const std::string& pattern, int count,
                  const std::string& seed, int carry, int remainder, int quotientDigits,
                  bool zeroInQuotient, bool noTrivial, int decimals, bool unique) {
    return s.sheet({.pattern = pattern,
                    .count = count,
                    .seed = seed,
                    .carry = carry,
                    .remainder = remainder,
                    .quotientDigits = quotientDigits,
                    .zeroInQuotient = zeroInQuotient,
                    .noTrivial = noTrivial,
                    .decimals = decimals,
                    .unique = unique});
}

int domKey(const std::string& code, const std::string& key) {
    return web::Session::domKey(code, key);
}

}  // namespace

EMSCRIPTEN_BINDINGS(hissan_board) {
    emscripten::class_<web::Session>("Session")
        .constructor<>()
        .function("key", &key)
        .function("whileDrawing", &whileDrawing)
        .function("keypad", &web::Session::keypad)
        .function("press", &web::Session::press)
        .function("ops", &ops)
        .function("opsPacked", &opsPacked)
        .function("opCount", &opCount)
        .function("runStart", &runStart)
        .function("status", &web::Session::status)
        .function("conditions", &web::Session::conditions)
        .function("setCondition", &setCondition)
        .function("stepEscaped", &web::Session::stepEscaped)
        .function("iniExport", &iniExport)
        .function("iniImport", &iniImport)
        .function("loadStories", &loadStories)
        .function("wordProblem", &web::Session::wordProblem)
        .function("cursor", &web::Session::cursor)
        .function("blink", &web::Session::blink)
        .function("pacing", &web::Session::pacing)
        .function("readAloud", &web::Session::readAloud)
        .function("sheet", &sheet)
        .class_function("domKey", &domKey)
        .class_function("fontPixels", &web::fontPixels)
        .class_function("cellAscent", &web::cellAscent)
        .class_function("scheme", &web::Session::scheme)
        .class_function("speechText", &web::Session::speechText);
}
