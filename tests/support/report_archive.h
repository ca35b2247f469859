#pragma once
// What the tests check of a report package: its archive (each entry's name, content, method and
// option bits) and that its texts are UTF-8. The including program links libzip.

#include "support/site.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace z2e::test {

struct PackedEntry {
    std::string content;
    std::uint16_t method = 0;
    std::uint16_t flags = 0; ///< general purpose bits of the central directory
    std::uint32_t mode = 0;  ///< Unix mode of the entry (file type and permissions)
};

// Names and contents through libzip; the deflate option bits (1-2) from the central directory,
// which libzip does not report.
inline std::map<std::string, PackedEntry> readArchive(const std::string& path)
{
    std::map<std::string, PackedEntry> entries;
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive) {
        ADD_FAILURE() << "not a ZIP archive: " << path << " (" << error << ")";
        return entries;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
        PackedEntry& entry = entries[stat.name];
        entry.method = stat.comp_method;
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        zip_file_get_external_attributes(archive, static_cast<zip_uint64_t>(i), 0, &system, &attributes);
        entry.mode = system == ZIP_OPSYS_UNIX ? attributes >> 16 : 0;
        entry.content.resize(stat.size);
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        EXPECT_EQ(zip_fread(file, entry.content.data(), stat.size), static_cast<zip_int64_t>(stat.size)) << stat.name;
        zip_fclose(file);
    }
    zip_close(archive);
    const std::string bytes = readFile(path);
    for (std::size_t at = bytes.find("PK\x01\x02"); at != std::string::npos && at + 46 <= bytes.size();
         at = bytes.find("PK\x01\x02", at + 4)) {
        const auto word = [&](std::size_t offset) {
            return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at + offset]) |
                                              static_cast<unsigned char>(bytes[at + offset + 1]) << 8);
        };
        const std::string name = bytes.substr(at + 46, word(28));
        if (entries.count(name))
            entries[name].flags = word(8);
    }
    return entries;
}

inline std::vector<std::string> namesOf(const std::map<std::string, PackedEntry>& entries)
{
    std::vector<std::string> names;
    for (const auto& entry : entries)
        names.push_back(entry.first);
    return names;
}

inline bool validUtf8Text(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80                        ? 1
                                   : (lead >> 5) == 6 && lead >= 0xc2 ? 2
                                   : (lead >> 4) == 14                ? 3
                                   : (lead >> 3) == 30                ? 4
                                                                      : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2)
                return false;
        }
        i += length;
    }
    return true;
}

} // namespace z2e::test
