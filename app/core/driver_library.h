#pragma once
// The driver library as the program's faces (window, command line) see it: which file, whether
// it loaded, why not, and its result texts. The binding itself stays below the client library.

#include <cstdint>
#include <string>

namespace z2e {

class DriverLibrary {
public:
    /// Loads a library of another name from the next load on; empty restores the default.
    static void useFile(const std::string& path);

    /// Loads and resolves the library; true when at least the first API level is there.
    static bool load();

    /// True while a library is loaded.
    static bool loaded();

    /// Why the last load failed (the loader's message or the missing entry points).
    static std::string loadError();

    /// What the operator reads when the last load failed: the library, every place it was
    /// looked for, and why it could not be used.
    static std::string loadFailure();

    /// The plain file name the library is loaded by.
    static const char* fileName();

    /// Name of the library in messages to the operator.
    static const char* displayName();

    /// The driver's own text of a result code; false (text untouched) for a code it does not know.
    static bool resultText(std::int32_t code, std::string& text);
};

} // namespace z2e
