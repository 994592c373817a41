// The engine for the web page: the module's one function, call(name, requestJson[, progress]),
// answering a JSON text (engine_calls.h). `progress`, a JavaScript function when given, hears
// (share, games) while the work goes on.

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <string>

#include "web/binding/engine_calls.h"

namespace {

std::string callFromPage(const std::string& name, const std::string& request,
                         emscripten::val progress) {
    korvale::EngineProgress tell;
    if (progress.typeOf().as<std::string>() == "function") {
        tell = [progress](double share, std::optional<std::int64_t> games) {
            if (games) {
                progress(share, static_cast<double>(*games));
            } else {
                progress(share);
            }
        };
    }
    return korvale::callEngine(name, request, tell);
}

std::string callWithoutProgress(const std::string& name, const std::string& request) {
    return korvale::callEngine(name, request, {});
}

}  // namespace

EMSCRIPTEN_BINDINGS(korvale_engine) {
    emscripten::function("call", &callFromPage);
    emscripten::function("call", &callWithoutProgress);
}
