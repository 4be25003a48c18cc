// The embedded state store: one SQLite database file in the data folder.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "service/store/state_store.h"

namespace rx::service {

struct opened_store {
    std::unique_ptr<state_store> store;
    // Set when this open created the database and took in what `import` read.
    std::optional<legacy_data> imported;
};

// Reads the older data folder's files; false with a reason when one cannot be read or parsed.
using legacy_reader = std::function<bool(legacy_data& out, std::string& error)>;

// Opens the database at `path`, creating it (mode 0600) when missing, in WAL mode and waiting up
// to `busy_ms` for another process (an operator's command beside the running service). Its schema
// is brought to the newest version; a database made by a newer version is refused. When the
// schema is created, `import` is read and stored in the same transaction, so a crash leaves
// either nothing or everything. No store (and `error` set) on failure.
opened_store open_sqlite_store(const std::string& path, const legacy_reader& import,
                               std::string& error, int busy_ms = 5000);

// The schema version this build writes (PRAGMA user_version).
int sqlite_schema_version();

}  // namespace rx::service
