// Entry point of Relicade; everything happens in the browser core.
#include <SDL.h>

#include "browser/app/app.h"

int main(int argc, char* argv[]) {
    (void)argc;
    (void)argv;
    return rx::app::run_program();
}
