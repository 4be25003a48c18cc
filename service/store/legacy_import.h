// Taking in the files an older rx_service kept in its data folder, once, when the database is made.
#pragma once
#include <string>

#include "service/logic/protection.h"
#include "service/store/state_store.h"

namespace rx::service {

// Reads DATA/accounts.txt (plain passwords hashed on the way; when it is missing, the file
// `seed_accounts` if one is given), DATA/authorized.txt, and every account's saves with their
// kept versions (DATA/saves/USER/SAVE, DATA/save_versions/USER/SAVE/N). Guest saves are left
// out: they belonged to plays that ended with the process. False with a reason when a file is
// there but cannot be read or parsed.
bool read_legacy_data(const std::string& data_dir, const std::string& seed_accounts,
                      password_cost cost, legacy_data& out, std::string& error);

// After the import is kept: moves the files read into DATA/imported/ (the accounts file as
// hashes only), so nobody edits them expecting the service to notice. False with a reason.
bool set_legacy_files_aside(const std::string& data_dir, const legacy_data& data,
                            std::string& error);

// One line for the operator: counts only, never names or passwords.
std::string import_summary(const legacy_data& data);

}  // namespace rx::service
