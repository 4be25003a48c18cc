// In-memory files on Windows: a made-up path that the C runtime calls of the libraries loaded
// through dynamic_library answer from memory (their imports are redirected when they are loaded).
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "platform/memory_file.h"
#include "platform/memory_file_hooks.h"

namespace rx::platform {

namespace {

struct open_file {
    std::shared_ptr<const std::string> bytes;
    std::size_t at = 0;
};

// A Windows lock rather than std::mutex: the win32-threads toolchain has none.
struct table {
    SRWLOCK lock = SRWLOCK_INIT;
    int next_id = 1;
    std::map<int, std::pair<std::string, std::shared_ptr<const std::string>>>
        files;  // id to path, bytes
    std::map<FILE*, open_file> open;
};

table& files() {
    static table t;
    return t;
}

class hold {
  public:
    explicit hold(table& t) : lock_(t.lock) { AcquireSRWLockExclusive(&lock_); }
    ~hold() { ReleaseSRWLockExclusive(&lock_); }
    hold(const hold&) = delete;
    hold& operator=(const hold&) = delete;

  private:
    SRWLOCK& lock_;
};

// The device namespace has no such device, so a library whose calls were not redirected fails to
// open the path rather than finding some file of that name.
const char path_prefix[] = "\\\\.\\relicade-memory\\";

using fopen_fn = FILE*(__cdecl*)(const char*, const char*);
using fclose_fn = int(__cdecl*)(FILE*);
using fread_fn = size_t(__cdecl*)(void*, size_t, size_t, FILE*);
using fseek_fn = int(__cdecl*)(FILE*, long, int);
using ftell_fn = long(__cdecl*)(FILE*);
using feof_fn = int(__cdecl*)(FILE*);
using fgetc_fn = int(__cdecl*)(FILE*);
using rewind_fn = void(__cdecl*)(FILE*);

template <typename F>
F runtime(const char* name) {
    return reinterpret_cast<F>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("msvcrt.dll"), name)));
}

// The FILE the library holds is a real one (on NUL), so a call that is not redirected still gets a
// valid stream rather than a crash; the redirected calls read the bytes through it.
FILE* __cdecl memory_fopen(const char* path, const char* mode) {
    static const fopen_fn real = runtime<fopen_fn>("fopen");
    if (path && std::strncmp(path, path_prefix, sizeof path_prefix - 1) == 0) {
        table& t = files();
        const hold held(t);
        for (const auto& [id, file] : t.files) {
            if (file.first != path) continue;
            if (std::strpbrk(mode, "wa+")) break;  // read-only
            FILE* stream = real("NUL", "rb");
            if (stream) t.open[stream] = open_file{file.second, 0};
            return stream;
        }
        errno = ENOENT;
        return nullptr;
    }
    return real(path, mode);
}

template <typename R, typename Fn>
bool with_open(FILE* stream, R& result, Fn&& fn) {
    table& t = files();
    const hold held(t);
    auto found = t.open.find(stream);
    if (found == t.open.end()) return false;
    result = fn(found->second);
    return true;
}

int __cdecl memory_fclose(FILE* stream) {
    static const fclose_fn real = runtime<fclose_fn>("fclose");
    {
        table& t = files();
        const hold held(t);
        t.open.erase(stream);
    }
    return real(stream);
}

size_t __cdecl memory_fread(void* into, size_t size, size_t count, FILE* stream) {
    static const fread_fn real = runtime<fread_fn>("fread");
    size_t read = 0;
    if (with_open(stream, read, [&](open_file& f) -> size_t {
            if (size == 0) return 0;
            const std::size_t left = f.bytes->size() - f.at;
            const std::size_t whole = std::min(count, left / size);
            std::memcpy(into, f.bytes->data() + f.at, whole * size);
            f.at += whole * size;
            return whole;
        }))
        return read;
    return real(into, size, count, stream);
}

int __cdecl memory_fseek(FILE* stream, long offset, int whence) {
    static const fseek_fn real = runtime<fseek_fn>("fseek");
    int status = 0;
    if (with_open(stream, status, [&](open_file& f) {
            long long base = whence == SEEK_SET   ? 0
                             : whence == SEEK_CUR ? static_cast<long long>(f.at)
                             : whence == SEEK_END ? static_cast<long long>(f.bytes->size())
                                                  : -1;
            long long to = base + offset;
            if (base < 0 || to < 0) return -1;
            f.at = static_cast<std::size_t>(std::min<long long>(to, f.bytes->size()));
            return 0;
        }))
        return status;
    return real(stream, offset, whence);
}

long __cdecl memory_ftell(FILE* stream) {
    static const ftell_fn real = runtime<ftell_fn>("ftell");
    long at = 0;
    if (with_open(stream, at, [](open_file& f) { return static_cast<long>(f.at); })) return at;
    return real(stream);
}

int __cdecl memory_feof(FILE* stream) {
    static const feof_fn real = runtime<feof_fn>("feof");
    int end = 0;
    if (with_open(stream, end, [](open_file& f) { return f.at >= f.bytes->size() ? 1 : 0; }))
        return end;
    return real(stream);
}

int __cdecl memory_fgetc(FILE* stream) {
    static const fgetc_fn real = runtime<fgetc_fn>("fgetc");
    int c = 0;
    if (with_open(stream, c, [](open_file& f) {
            return f.at < f.bytes->size() ? static_cast<unsigned char>((*f.bytes)[f.at++]) : EOF;
        }))
        return c;
    return real(stream);
}

void __cdecl memory_rewind(FILE* stream) {
    static const rewind_fn real = runtime<rewind_fn>("rewind");
    int unused = 0;
    if (with_open(stream, unused, [](open_file& f) { return static_cast<int>(f.at = 0); })) return;
    real(stream);
}

void* redirect_for(const char* name) {
    static const std::pair<const char*, void*> calls[] = {
        {"fopen", reinterpret_cast<void*>(&memory_fopen)},
        {"fclose", reinterpret_cast<void*>(&memory_fclose)},
        {"fread", reinterpret_cast<void*>(&memory_fread)},
        {"fseek", reinterpret_cast<void*>(&memory_fseek)},
        {"ftell", reinterpret_cast<void*>(&memory_ftell)},
        {"feof", reinterpret_cast<void*>(&memory_feof)},
        {"fgetc", reinterpret_cast<void*>(&memory_fgetc)},
        {"getc", reinterpret_cast<void*>(&memory_fgetc)},
        {"rewind", reinterpret_cast<void*>(&memory_rewind)},
    };
    for (const auto& [call, redirect] : calls) {
        if (std::strcmp(call, name) == 0) return redirect;
    }
    return nullptr;
}

// The path keeps the label readable, but nothing in it that a library could take for a folder or an
// extension (a ".cue" ending sends the PC Engine core to its CD loader).
std::string path_for(int id, const std::string& label) {
    std::string path = path_prefix + std::to_string(id) + "-";
    for (char c : label) {
        const bool plain =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        path += plain ? c : '_';
    }
    return path;
}

}  // namespace

namespace detail {

void serve_memory_files(void* module) {
    auto* base = static_cast<unsigned char*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return;
    for (auto* from =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         from->Name != 0; ++from) {
        if (_stricmp(reinterpret_cast<const char*>(base + from->Name), "msvcrt.dll") != 0) continue;
        // Without the names table the calls cannot be told apart; such a library keeps its own.
        if (from->OriginalFirstThunk == 0) continue;
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + from->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + from->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* by_name =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            void* redirect = redirect_for(reinterpret_cast<const char*>(by_name->Name));
            if (!redirect) continue;
            DWORD was = 0;
            if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE,
                                &was))
                continue;
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(redirect);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, was, &was);
        }
    }
}

}  // namespace detail

std::unique_ptr<memory_file> memory_file::create(const std::string& name, const void* data,
                                                 std::size_t size, std::string&) {
    auto bytes = std::make_shared<const std::string>(static_cast<const char*>(data), size);
    table& t = files();
    const hold held(t);
    const int id = t.next_id++;
    std::string path = path_for(id, name);
    t.files[id] = {path, std::move(bytes)};
    return std::unique_ptr<memory_file>(new memory_file(id, path));
}

// A stream still open keeps its bytes; only new opens of the path fail.
memory_file::~memory_file() {
    table& t = files();
    const hold held(t);
    t.files.erase(handle_);
}

}  // namespace rx::platform
