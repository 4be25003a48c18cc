// The libretro frontend without a window: entry points, the environment answers and the callbacks.
#include "retro/logic/libretro_core.h"

#include <libretro.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/dynamic_library.h"
#include "platform/memory_file.h"

namespace rx::retro {

namespace {

// The callbacks carry no context, so they reach the running core through these.
core* running = nullptr;
const std::function<void(const std::string&)>* running_log = nullptr;

// Messages a core logs through the log interface go to the running core's log.
void log_printf(enum retro_log_level level, const char* format, ...) {
    // Debug and information lines are the core's chatter; warnings and errors are worth keeping.
    if (level < RETRO_LOG_WARN || !running_log || !*running_log) return;
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::string line(text);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    (*running_log)(line);
}

// A variable's default from a "Description; first|second|..." declaration.
std::string first_choice(const char* declaration) {
    std::string text = declaration ? declaration : "";
    std::size_t semicolon = text.find(';');
    if (semicolon == std::string::npos) return "";
    std::size_t start = text.find_first_not_of(' ', semicolon + 1);
    if (start == std::string::npos) return "";
    return text.substr(start, text.find('|', start) - start);
}

void declare_options(std::map<std::string, std::string>& variables,
                     const retro_core_option_definition* options) {
    for (; options && options->key; ++options) {
        std::string value;
        if (options->default_value) {
            value = options->default_value;
        } else if (options->values[0].value) {
            value = options->values[0].value;
        }
        variables[options->key] = value;
    }
}

}  // namespace

struct core::entry_points {
    void (*set_environment)(retro_environment_t);
    void (*set_video_refresh)(retro_video_refresh_t);
    void (*set_audio_sample)(retro_audio_sample_t);
    void (*set_audio_sample_batch)(retro_audio_sample_batch_t);
    void (*set_input_poll)(retro_input_poll_t);
    void (*set_input_state)(retro_input_state_t);
    void (*init)();
    void (*deinit)();
    unsigned (*api_version)();
    void (*get_system_info)(retro_system_info*);
    void (*get_system_av_info)(retro_system_av_info*);
    void (*set_controller_port_device)(unsigned, unsigned);
    void (*run)();
    bool (*load_game)(const retro_game_info*);
    void (*unload_game)();
    void* (*get_memory_data)(unsigned);
    std::size_t (*get_memory_size)(unsigned);
    // Optional: a core without them simply cannot keep states.
    std::size_t (*serialize_size)();
    bool (*serialize)(void*, std::size_t);
    bool (*unserialize)(const void*, std::size_t);
};

std::unique_ptr<core> core::open(const std::string& library_path, core_settings settings,
                                 std::string& error) {
    if (running) {
        error = "another core is already running";
        return nullptr;
    }
    std::unique_ptr<core> made(new core());
    made->settings_ = std::move(settings);
    made->library_path_ = library_path;
    made->library_ = platform::dynamic_library::open(library_path, error);
    if (!made->library_) return nullptr;

    auto api = std::make_unique<entry_points>();
    bool complete = true;
    auto take = [&](auto& slot, const char* symbol) {
        void* address = made->library_->symbol(symbol);
        if (!address) {
            if (complete) error = std::string("the core lacks ") + symbol;
            complete = false;
        }
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(address);
    };
    take(api->set_environment, "retro_set_environment");
    take(api->set_video_refresh, "retro_set_video_refresh");
    take(api->set_audio_sample, "retro_set_audio_sample");
    take(api->set_audio_sample_batch, "retro_set_audio_sample_batch");
    take(api->set_input_poll, "retro_set_input_poll");
    take(api->set_input_state, "retro_set_input_state");
    take(api->init, "retro_init");
    take(api->deinit, "retro_deinit");
    take(api->api_version, "retro_api_version");
    take(api->get_system_info, "retro_get_system_info");
    take(api->get_system_av_info, "retro_get_system_av_info");
    take(api->set_controller_port_device, "retro_set_controller_port_device");
    take(api->run, "retro_run");
    take(api->load_game, "retro_load_game");
    take(api->unload_game, "retro_unload_game");
    take(api->get_memory_data, "retro_get_memory_data");
    take(api->get_memory_size, "retro_get_memory_size");
    if (!complete) return nullptr;
    api->serialize_size =
        reinterpret_cast<std::size_t (*)()>(made->library_->symbol("retro_serialize_size"));
    api->serialize =
        reinterpret_cast<bool (*)(void*, std::size_t)>(made->library_->symbol("retro_serialize"));
    api->unserialize = reinterpret_cast<bool (*)(const void*, std::size_t)>(
        made->library_->symbol("retro_unserialize"));
    if (!api->serialize_size || !api->serialize || !api->unserialize) {
        api->serialize_size = nullptr;
        api->serialize = nullptr;
        api->unserialize = nullptr;
    }
    if (api->api_version() != RETRO_API_VERSION) {
        error = "the core speaks libretro API version " + std::to_string(api->api_version());
        return nullptr;
    }
    made->api_ = std::move(api);

    retro_system_info info{};
    made->api_->get_system_info(&info);
    made->name_ = info.library_name ? info.library_name : "";
    made->version_ = info.library_version ? info.library_version : "";
    made->needs_path_ = info.need_fullpath;

    running = made.get();
    running_log = &made->settings_.log;
    made->api_->set_environment(&core::environment_callback);
    made->api_->init();
    made->initialised_ = true;
    made->api_->set_video_refresh(&core::video_callback);
    made->api_->set_audio_sample(&core::audio_sample_callback);
    made->api_->set_audio_sample_batch(&core::audio_batch_callback);
    made->api_->set_input_poll(&core::input_poll_callback);
    made->api_->set_input_state(&core::input_state_callback);
    return made;
}

core::~core() {
    if (api_) {
        if (game_loaded_) api_->unload_game();
        if (initialised_) api_->deinit();
    }
    if (running == this) {
        running = nullptr;
        running_log = nullptr;
    }
    api_.reset();
    library_.reset();
}

bool core::load_game(const unsigned char* data, std::size_t size, std::string& error) {
    if (game_loaded_) {
        error = "a game is already loaded";
        return false;
    }
    retro_game_info game{};
    if (needs_path_) {
        game_file_ = platform::memory_file::create(
            settings_.game_label.empty() ? "game" : settings_.game_label, data, size, error);
        if (!game_file_) return false;
        game_path_ = game_file_->path();
        game.path = game_path_.c_str();
    } else {
        game.data = data;
        game.size = size;
    }
    if (!api_->load_game(&game)) {
        error = "the core refused the game";
        game_file_.reset();
        return false;
    }
    game_loaded_ = true;
    for (unsigned port = 0; port < port_count; ++port) {
        api_->set_controller_port_device(port, RETRO_DEVICE_JOYPAD);
    }
    read_av_info();
    return true;
}

void core::read_av_info() {
    retro_system_av_info av{};
    api_->get_system_av_info(&av);
    if (av.timing.fps > 0) fps_ = av.timing.fps;
    if (av.timing.sample_rate > 0) sample_rate_ = av.timing.sample_rate;
    base_width_ = av.geometry.base_width;
    base_height_ = av.geometry.base_height;
    aspect_ = av.geometry.aspect_ratio;
}

double core::aspect_ratio() const {
    if (aspect_ > 0) return aspect_;
    unsigned w = frame_.data ? frame_.width : base_width_;
    unsigned h = frame_.data ? frame_.height : base_height_;
    return h ? static_cast<double>(w) / h : 4.0 / 3.0;
}

void core::run_frame() {
    running = this;
    api_->run();
}

void core::set_buttons(unsigned port, std::uint16_t mask) {
    if (port < port_count) buttons_[port] = mask;
}

void core::take_audio(std::vector<std::int16_t>& out) {
    out.insert(out.end(), audio_.begin(), audio_.end());
    audio_.clear();
}

std::size_t core::save_size() const {
    if (!game_loaded_) return 0;
    if (!api_->get_memory_data(RETRO_MEMORY_SAVE_RAM)) return 0;
    return api_->get_memory_size(RETRO_MEMORY_SAVE_RAM);
}

std::vector<unsigned char> core::read_save() const {
    std::size_t size = save_size();
    if (size == 0) return {};
    auto* at = static_cast<const unsigned char*>(api_->get_memory_data(RETRO_MEMORY_SAVE_RAM));
    return std::vector<unsigned char>(at, at + size);
}

bool core::write_save(const unsigned char* data, std::size_t size) {
    std::size_t own = save_size();
    if (own == 0 || size == 0 || size > own) return false;
    auto* memory = static_cast<unsigned char*>(api_->get_memory_data(RETRO_MEMORY_SAVE_RAM));
    std::memcpy(memory, data, size);
    std::memset(memory + size, 0xFF, own - size);
    return true;
}

std::vector<unsigned char> core::read_rtc() const {
    if (!game_loaded_) return {};
    auto* at = static_cast<const unsigned char*>(api_->get_memory_data(RETRO_MEMORY_RTC));
    std::size_t size = at ? api_->get_memory_size(RETRO_MEMORY_RTC) : 0;
    return size ? std::vector<unsigned char>(at, at + size) : std::vector<unsigned char>{};
}

bool core::write_rtc(const unsigned char* data, std::size_t size) {
    if (!game_loaded_ || size == 0) return false;
    auto* memory = static_cast<unsigned char*>(api_->get_memory_data(RETRO_MEMORY_RTC));
    if (!memory || api_->get_memory_size(RETRO_MEMORY_RTC) != size) return false;
    std::memcpy(memory, data, size);
    return true;
}

std::size_t core::state_size() const {
    if (!game_loaded_ || !api_->serialize_size) return 0;
    return api_->serialize_size();
}

std::vector<unsigned char> core::save_state() {
    const std::size_t size = state_size();
    if (size == 0) return {};
    std::vector<unsigned char> state(size);
    running = this;
    if (!api_->serialize(state.data(), state.size())) return {};
    return state;
}

bool core::load_state(const unsigned char* data, std::size_t size) {
    if (!game_loaded_ || !api_->unserialize || size == 0) return false;
    running = this;
    return api_->unserialize(data, size);
}

std::string core::variable(const std::string& key) const {
    auto found = variables_.find(key);
    return found == variables_.end() ? "" : found->second;
}

void core::set_variable(const std::string& key, const std::string& value) {
    variables_[key] = value;
}

void core::note(const std::string& line) const {
    if (settings_.log) settings_.log(line);
}

void core::refuse(unsigned command) {
    if (refused_.insert(command).second) {
        note("The core " + name_ + " asked for something this player does not offer (request " +
             std::to_string(command & ~static_cast<unsigned>(RETRO_ENVIRONMENT_EXPERIMENTAL)) +
             ")");
    }
}

bool core::environment(unsigned command, void* data) {
    switch (command) {
        case RETRO_ENVIRONMENT_GET_CAN_DUPE:
            *static_cast<bool*>(data) = true;
            return true;
        case RETRO_ENVIRONMENT_SET_PIXEL_FORMAT: {
            auto wanted = *static_cast<const retro_pixel_format*>(data);
            if (wanted != RETRO_PIXEL_FORMAT_0RGB1555 && wanted != RETRO_PIXEL_FORMAT_XRGB8888 &&
                wanted != RETRO_PIXEL_FORMAT_RGB565) {
                refuse(command);
                return false;
            }
            format_ = static_cast<pixel_format>(wanted);
            return true;
        }
        case RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY:
            *static_cast<const char**>(data) = settings_.system_folder.c_str();
            return true;
        case RETRO_ENVIRONMENT_GET_SAVE_DIRECTORY:
            *static_cast<const char**>(data) = settings_.save_folder.c_str();
            return true;
        case RETRO_ENVIRONMENT_GET_CORE_ASSETS_DIRECTORY:
            *static_cast<const char**>(data) = settings_.system_folder.c_str();
            return true;
        case RETRO_ENVIRONMENT_GET_LIBRETRO_PATH:
            *static_cast<const char**>(data) = library_path_.c_str();
            return true;
        case RETRO_ENVIRONMENT_GET_LOG_INTERFACE:
            static_cast<retro_log_callback*>(data)->log = &log_printf;
            return true;
        case RETRO_ENVIRONMENT_GET_CORE_OPTIONS_VERSION:
            // Version 1 definitions carry their defaults; cores with newer ones convert down.
            *static_cast<unsigned*>(data) = 1;
            return true;
        case RETRO_ENVIRONMENT_SET_VARIABLES:
            for (auto* v = static_cast<const retro_variable*>(data); v && v->key; ++v) {
                variables_[v->key] = first_choice(v->value);
            }
            return true;
        case RETRO_ENVIRONMENT_SET_CORE_OPTIONS:
            declare_options(variables_, static_cast<const retro_core_option_definition*>(data));
            return true;
        case RETRO_ENVIRONMENT_SET_CORE_OPTIONS_INTL:
            declare_options(variables_, static_cast<const retro_core_options_intl*>(data)->us);
            return true;
        case RETRO_ENVIRONMENT_GET_VARIABLE: {
            auto* v = static_cast<retro_variable*>(data);
            auto found = v && v->key ? variables_.find(v->key) : variables_.end();
            if (found == variables_.end()) {
                if (v) v->value = nullptr;
                return false;
            }
            v->value = found->second.c_str();
            return true;
        }
        case RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE:
            *static_cast<bool*>(data) = false;
            return true;
        case RETRO_ENVIRONMENT_SET_CORE_OPTIONS_DISPLAY:
        case RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS:
        case RETRO_ENVIRONMENT_SET_CONTROLLER_INFO:
        case RETRO_ENVIRONMENT_SET_SUBSYSTEM_INFO:
        case RETRO_ENVIRONMENT_SET_MEMORY_MAPS:
        case RETRO_ENVIRONMENT_SET_PERFORMANCE_LEVEL:
        case RETRO_ENVIRONMENT_SET_SUPPORT_NO_GAME:
        case RETRO_ENVIRONMENT_SET_SUPPORT_ACHIEVEMENTS:
        case RETRO_ENVIRONMENT_SET_SERIALIZATION_QUIRKS:
        case RETRO_ENVIRONMENT_SET_CONTENT_INFO_OVERRIDE:
            // Descriptions for menus and tools this player does not have; taking them note is
            // all a frontend owes.
            return true;
        case RETRO_ENVIRONMENT_SET_GEOMETRY: {
            const auto* g = static_cast<const retro_game_geometry*>(data);
            base_width_ = g->base_width;
            base_height_ = g->base_height;
            aspect_ = g->aspect_ratio;
            return true;
        }
        case RETRO_ENVIRONMENT_SET_SYSTEM_AV_INFO: {
            const auto* av = static_cast<const retro_system_av_info*>(data);
            if (av->timing.fps > 0) fps_ = av->timing.fps;
            if (av->timing.sample_rate > 0) sample_rate_ = av->timing.sample_rate;
            base_width_ = av->geometry.base_width;
            base_height_ = av->geometry.base_height;
            aspect_ = av->geometry.aspect_ratio;
            return true;
        }
        case RETRO_ENVIRONMENT_GET_LANGUAGE:
            *static_cast<unsigned*>(data) = RETRO_LANGUAGE_ENGLISH;
            return true;
        case RETRO_ENVIRONMENT_GET_OVERSCAN:
            *static_cast<bool*>(data) = false;
            return true;
        case RETRO_ENVIRONMENT_GET_INPUT_BITMASKS:
            // input_state answers the whole pad at once for RETRO_DEVICE_ID_JOYPAD_MASK.
            return true;
        case RETRO_ENVIRONMENT_GET_INPUT_DEVICE_CAPABILITIES:
            *static_cast<std::uint64_t*>(data) = 1u << RETRO_DEVICE_JOYPAD;
            return true;
        case RETRO_ENVIRONMENT_GET_INPUT_MAX_USERS:
            *static_cast<unsigned*>(data) = port_count;
            return true;
        case RETRO_ENVIRONMENT_GET_AUDIO_VIDEO_ENABLE:
            if (data) *static_cast<int*>(data) = 3;  // both the picture and the sound are used
            return true;
        case RETRO_ENVIRONMENT_GET_FASTFORWARDING:
            *static_cast<bool*>(data) = false;
            return true;
        case RETRO_ENVIRONMENT_GET_MESSAGE_INTERFACE_VERSION:
            *static_cast<unsigned*>(data) = 0;
            return true;
        case RETRO_ENVIRONMENT_SET_MESSAGE: {
            const auto* m = static_cast<const retro_message*>(data);
            if (m && m->msg) note(std::string("The core says: ") + m->msg);
            return true;
        }
        case RETRO_ENVIRONMENT_SET_ROTATION:
            if (*static_cast<const unsigned*>(data) == 0) return true;
            refuse(command);
            return false;
        case RETRO_ENVIRONMENT_SHUTDOWN:
            shutdown_requested_ = true;
            return true;
        default:
            refuse(command);
            return false;
    }
}

bool core::environment_callback(unsigned command, void* data) {
    if (!running) return false;
    // Only these are asked without a place for the answer.
    if (!data && command != RETRO_ENVIRONMENT_SHUTDOWN &&
        command != RETRO_ENVIRONMENT_GET_AUDIO_VIDEO_ENABLE &&
        command != RETRO_ENVIRONMENT_GET_INPUT_BITMASKS) {
        return false;
    }
    return running->environment(command, data);
}

void core::video_callback(const void* data, unsigned width, unsigned height, std::size_t pitch) {
    // A null frame repeats the last one: nothing new to show.
    if (!running || !data) return;
    running->frame_ = frame_view{data, width, height, pitch, running->format_};
    ++running->frames_drawn_;
}

void core::audio_sample_callback(std::int16_t left, std::int16_t right) {
    if (!running) return;
    running->audio_.push_back(left);
    running->audio_.push_back(right);
}

std::size_t core::audio_batch_callback(const std::int16_t* data, std::size_t frames) {
    if (!running || !data) return frames;
    running->audio_.insert(running->audio_.end(), data, data + 2 * frames);
    return frames;
}

void core::input_poll_callback() {}

std::int16_t core::input_state_callback(unsigned port, unsigned device, unsigned, unsigned id) {
    if (!running || port >= port_count || (device & RETRO_DEVICE_MASK) != RETRO_DEVICE_JOYPAD) {
        return 0;
    }
    std::uint16_t mask = running->buttons_[port];
    if (id == RETRO_DEVICE_ID_JOYPAD_MASK) return static_cast<std::int16_t>(mask);
    return id < 16 && (mask >> id) & 1u ? 1 : 0;
}

}  // namespace rx::retro
