// Test support: finding windows on the X display by their title.
#include "x11_windows.h"

namespace rx::test {

Window find_window(Display* display, Window root,
                   const std::function<bool(const std::string&)>& match) {
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, root, &root, &parent, &children, &count) == 0) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
        char* title = nullptr;
        if (XFetchName(display, children[i], &title) != 0 && title != nullptr) {
            if (match(title)) found = children[i];
            XFree(title);
        }
        if (found == 0) found = find_window(display, children[i], match);
    }
    if (children != nullptr) XFree(children);
    return found;
}

}  // namespace rx::test
