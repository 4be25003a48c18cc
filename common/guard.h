// The one exception guard of every program: a step runs so that no exception leaves it; one is
// logged with its own text, or with a line naming the step when it carries none. Relicade and
// rx_update log into error_log.txt, rxlib into its own log.
#pragma once
#include <exception>
#include <string>
#include <string_view>
#include <utility>

#include "common/program_folder.h"

namespace rx {

// "Unknown Exception - <scope>::<operation>", the browser's line for an exception without a text.
inline std::string unknown_exception_text(std::string_view scope, std::string_view operation) {
    std::string text("Unknown Exception - ");
    text.append(scope).append("::").append(operation);
    return text;
}

// Inside a catch block: the exception's own text, or `unknown_text` when it carries none.
inline std::string current_exception_text(std::string_view unknown_text) {
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return std::string(unknown_text);
    }
}

// Runs `body`; an exception's line goes to `log` and `failure` is returned. `unknown` makes the
// line for an exception without a text, only when one is caught.
template <typename Result, typename Log, typename Unknown, typename Body>
Result run_guarded_into(Log&& log, Result failure, Unknown&& unknown, Body&& body) {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        try {
            std::forward<Log>(log)(current_exception_text(std::forward<Unknown>(unknown)()));
        } catch (...) {
            // A line that cannot be made or written must not let the exception out after all.
        }
        return failure;
    }
}

// The same into error_log.txt in the program folder.
template <typename Result, typename Unknown, typename Body>
Result run_guarded_as(Result failure, Unknown&& unknown, Body&& body) {
    return run_guarded_into([](std::string_view line) { log_error(line); }, std::move(failure),
                            std::forward<Unknown>(unknown), std::forward<Body>(body));
}

template <typename Unknown, typename Body>
void run_guarded_as(Unknown&& unknown, Body&& body) {
    run_guarded_as(0, std::forward<Unknown>(unknown), [&] {
        std::forward<Body>(body)();
        return 0;
    });
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
