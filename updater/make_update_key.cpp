// rx_make_update_key FOLDER: makes the Ed25519 key pair that signs updates, or keeps the one there.
// Writes FOLDER/update_signing.key (the private key: 64 hex digits, owner-only), FOLDER/
// update_public_key.hex (the public key, what RX_UPDATE_PUBLIC_KEY takes) and FOLDER/
// update_public_key.h (the public key for rx_update's build).
#include <iostream>

#include "updater/update_key.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: rx_make_update_key FOLDER\n";
        return 2;
    }
    const std::string failed = rx::updater::make_update_key(argv[1]);
    if (!failed.empty()) {
        std::cerr << "rx_make_update_key: " << failed << "\n";
        return 1;
    }
    return 0;
}
