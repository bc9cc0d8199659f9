#include "report/facts.h"

#include <cstdio>

#include <algorithm>

const char kInitializationFailed[] = "OpenGL Error : Initialization Failed";

const Limit kLimits[kLimitCount] = {
    {"Max texture size", "max_texture_size", 0x0D33, 1, false, 0, 0, {nullptr}},
    {"Max 3D texture size", "max_3d_texture_size", 0x8073, 1, false, 1, 2, {"GL_EXT_texture3D", nullptr}},
    {"Max cube map texture size", "max_cube_map_texture_size", 0x851C, 1, false, 1, 3,
     {"GL_ARB_texture_cube_map", "GL_EXT_texture_cube_map", nullptr}},
    {"Max viewport dims", "max_viewport_dims", 0x0D3A, 2, false, 0, 0, {nullptr}},
    {"Max renderbuffer size", "max_renderbuffer_size", 0x84E8, 1, false, 3, 0,
     {"GL_ARB_framebuffer_object", "GL_EXT_framebuffer_object", nullptr}},
    {"Max samples", "max_samples", 0x8D57, 1, false, 3, 0, {"GL_ARB_framebuffer_object", "GL_EXT_framebuffer_multisample", nullptr}},
    {"Max texture image units", "max_texture_image_units", 0x8872, 1, false, 2, 0, {"GL_ARB_fragment_program", "GL_ARB_fragment_shader", nullptr}},
    {"Max vertex attribs", "max_vertex_attribs", 0x8869, 1, false, 2, 0, {"GL_ARB_vertex_program", "GL_ARB_vertex_shader", nullptr}},
    {"Max anisotropy", "max_anisotropy", 0x84FF, 1, true, 4, 6,
     {"GL_EXT_texture_filter_anisotropic", "GL_ARB_texture_filter_anisotropic", nullptr}},
};


bool plausible(const LimitReading& reading, int count, bool isFloat) {
    if (!reading.reported) return false;
    for (int i = 0; i < count && i < 2; ++i) {
        const double v = reading.values[i];
        if (!(v >= 0 && v <= 1e15) || (!isFloat && v != static_cast<double>(static_cast<long long>(v)))) return false;
    }
    return true;
}

bool hasExtension(const std::vector<std::string>& extensions, const char* name) {
    for (const std::string& e : extensions) {
        if (e == name) return true;
    }
    return false;
}

bool limitApplies(const Limit& limit, GlVersion version, const std::vector<std::string>& extensions) {
    if (limit.major == 0 || atLeast(version, limit.major, limit.minor)) return true;
    for (const char* const* e = limit.extensions; *e != nullptr; ++e) {
        if (hasExtension(extensions, *e)) return true;
    }
    return false;
}


bool hasShadingLanguage(GlVersion version) { return atLeast(version, 2, 0); }

std::vector<std::string> extensionNames(const std::string& text) {
    std::vector<std::string> names;
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find(' ', at), text.size());
        const std::string name = text.substr(at, end - at);
        if (!name.empty() && !hasExtension(names, name.c_str())) names.push_back(name);
        at = end + 1;
    }
    return names;
}

std::vector<std::string> withoutEmptyRows(const std::vector<std::string>& rows) {
    std::vector<std::string> names;
    for (const std::string& row : rows) {
        if (!row.empty()) names.push_back(row);
    }
    return names;
}

AccountWords accountWords(SessionFacts::Account account) {
    switch (account) {
    case SessionFacts::Account::LocalSystem: return {"SYSTEM", "local_system"};
    case SessionFacts::Account::LocalService: return {"LocalService", "local_service"};
    case SessionFacts::Account::NetworkService: return {"NetworkService", "network_service"};
    case SessionFacts::Account::Other: return {nullptr, "other"};
    default: return {nullptr, nullptr};
    }
}

DriverDate isoDriverDate(const std::string& text) {
    DriverDate date;
    int part[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int k = 0;
    for (const char c : text) {
        if (c >= '0' && c <= '9' && digits[k] < 4) {
            part[k] = part[k] * 10 + (c - '0');
            ++digits[k];
        } else if (c == '-' && k < 2 && digits[k] > 0) {
            ++k;
        } else {
            return date;
        }
    }
    if (k != 2 || digits[2] == 0) return date;
    // Month-day-year as the registry keeps it, or a date already in ISO 8601.
    const bool iso = digits[0] == 4 && digits[1] == 2 && digits[2] == 2;
    const int year = iso ? part[0] : part[2], month = iso ? part[1] : part[0], day = iso ? part[2] : part[1];
    if (!iso && (digits[0] > 2 || digits[1] > 2 || digits[2] != 4)) return date;
    static const int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1980 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return date;
    if (month == 2 && day == 29 && !(year % 4 == 0 && (year % 100 != 0 || year % 400 == 0))) return date;
    char out[40];
    std::snprintf(out, sizeof out, "%04d-%02d-%02d", year, month, day);
    date.understood = true;
    date.iso = out;
    return date;
}
