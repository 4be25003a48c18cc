// The one exception guard of Relicade and rx_update: a step runs so that no exception leaves it;
// one is logged with its own text, or with the program's "Unknown Exception" line when it carries
// none.
#pragma once
#include <string>
#include <string_view>
#include <utility>

#include "browser/ui/program_folder.h"

namespace rx {

// "Unknown Exception - <scope>::<operation>", the browser's line for an exception without a text.
inline std::string unknown_exception_text(std::string_view scope, std::string_view operation) {
    std::string text("Unknown Exception - ");
    text.append(scope).append("::").append(operation);
    return text;
}

// Runs `body`; an exception is logged and `failure` returned. `unknown` makes the line for an
// exception without a text, only when one is caught.
template <typename Result, typename Unknown, typename Body>
Result run_guarded_as(Result failure, Unknown&& unknown, Body&& body) {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        log_current_exception(std::forward<Unknown>(unknown)());
        return failure;
    }
}

template <typename Unknown, typename Body>
void run_guarded_as(Unknown&& unknown, Body&& body) {
    try {
        std::forward<Body>(body)();
    } catch (...) {
        log_current_exception(std::forward<Unknown>(unknown)());
    }
}

// The common forms: a fixed line for an exception without a text ...
template <typename Body>
void run_guarded(std::string_view unknown_text, Body&& body) {
    run_guarded_as([&] { return unknown_text; }, std::forward<Body>(body));
}
template <typename Result, typename Body>
Result run_guarded_or(Result failure, std::string_view unknown_text, Body&& body) {
    return run_guarded_as(
        std::move(failure), [&] { return unknown_text; }, std::forward<Body>(body));
}

// ... and the browser's "Unknown Exception - <scope>::<operation>" (the browser core's scope is
// "main").
template <typename Body>
void run_logged(std::string_view scope, std::string_view operation, Body&& body) {
    run_guarded_as([&] { return unknown_exception_text(scope, operation); },
                   std::forward<Body>(body));
}
template <typename Result, typename Body>
Result run_logged_or(Result failure, std::string_view scope, std::string_view operation,
                     Body&& body) {
    return run_guarded_as(
        std::move(failure), [&] { return unknown_exception_text(scope, operation); },
        std::forward<Body>(body));
}

}  // namespace rx
