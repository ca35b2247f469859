#pragma once
// Shared helpers of the configuration tests: scratch folders and small document edits.

#include <string>

#include <pugixml.hpp>

namespace z2e {
namespace test {

/// A fresh folder below the temporary directory, removed with everything in it.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

/// Whole content of a file; empty when it cannot be read.
std::string readFile(const std::string& path);

/// Writes content to path (plain write, test set-up only).
void writeFile(const std::string& path, const std::string& content);

/// Names of the entries of a folder, sorted.
std::string listDir(const std::string& path);

/// Text of the first node matched by xpath below the document's root element.
std::string textAt(const pugi::xml_document& document, const std::string& xpath);

}  // namespace test
}  // namespace z2e
