// Test support: reading rx_service's state database from beside it, as an operator's sqlite3 would.
#pragma once
#include <string>
#include <vector>

namespace rx::service::test {

// Each row the query gives, its columns joined by '|'; read-only, beside a running service.
std::vector<std::string> state_rows(const std::string& data_dir, const std::string& sql);

}  // namespace rx::service::test
