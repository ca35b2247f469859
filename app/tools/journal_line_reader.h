#pragma once
// Reads history.jsonl line by line as a damaged file allows: a line torn by a crash, garbage,
// bytes that are not UTF-8 or a line longer than kMaxLineBytes is skipped and counted, never
// held in memory beyond that length. Only lines that are whole JSON objects come out.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace z2e {

class JournalLineReader {
public:
    /// Far above any line the program writes (a few hundred bytes).
    static constexpr std::size_t kMaxLineBytes = 64 * 1024;

    /// Opens `path`; a missing file reads as empty.
    explicit JournalLineReader(const std::string& path);
    /// The same from byte `from`, where a line starts; from 0 when the file is shorter or is
    /// another file than the one whose identity() is `file` (it was replaced).
    JournalLineReader(const std::string& path, std::uint64_t file, std::uint64_t from);
    ~JournalLineReader();
    JournalLineReader(const JournalLineReader&) = delete;
    JournalLineReader& operator=(const JournalLineReader&) = delete;

    /// The next whole record in `line`; false at the end of the file.
    bool next(std::string& line);
    /// Lines skipped so far (empty lines do not count).
    std::size_t damaged() const { return m_damaged; }
    /// Why a file that is there is not read (a link, FIFO or folder in its place, no permission); "" else.
    const std::string& error() const { return m_error; }
    /// Just past the last line read that has its line end: where reading goes on later, as a
    /// line without one may be half written.
    std::uint64_t wholeLinesEnd() const { return m_wholeLinesEnd; }
    /// The open file's device and inode in one number; 0 when no file is open.
    std::uint64_t identity() const { return m_identity; }

    /// Whether `line` is one JSON object of valid UTF-8 and nothing else.
    static bool isRecord(const std::string& line);
    /// "1 damaged line skipped", "3 damaged lines skipped".
    static std::string damagedText(std::size_t count);

private:
    /// Reads up to the next line end; false at the end of the file. `tooLong` when the line
    /// did not fit (its rest is read and dropped).
    bool readLine(std::string& line, bool& tooLong);

    std::FILE* m_file = nullptr;
    std::size_t m_damaged = 0;
    std::uint64_t m_at = 0;
    std::uint64_t m_wholeLinesEnd = 0;
    std::uint64_t m_identity = 0;
    std::string m_error;
};

} // namespace z2e
