#include "tools/journal_line_reader.h"

#include "core/json_text.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstring>

namespace z2e {

namespace {

// A JSON syntax check without building anything: the history's readers pick fields themselves.
class JsonSyntax {
public:
    explicit JsonSyntax(const std::string& text) : m_text(text) {}

    bool wholeObject()
    {
        space();
        if (!peek('{') || !value())
            return false;
        space();
        return m_at == m_text.size();
    }

private:
    static constexpr int kMaxDepth = 16;

    bool peek(char c) const { return m_at < m_text.size() && m_text[m_at] == c; }
    bool take(char c)
    {
        if (!peek(c))
            return false;
        ++m_at;
        return true;
    }
    void space()
    {
        while (m_at < m_text.size() && std::strchr(" \t\r", m_text[m_at]))
            ++m_at;
    }
    bool word(const char* text)
    {
        const std::size_t length = std::strlen(text);
        if (m_text.compare(m_at, length, text) != 0)
            return false;
        m_at += length;
        return true;
    }
    bool digits()
    {
        const std::size_t start = m_at;
        while (m_at < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[m_at])))
            ++m_at;
        return m_at > start;
    }
    bool number()
    {
        take('-');
        if (!digits())
            return false;
        if (take('.') && !digits())
            return false;
        if (take('e') || take('E')) {
            if (!take('+'))
                take('-');
            return digits();
        }
        return true;
    }
    bool string()
    {
        if (!take('"'))
            return false;
        while (m_at < m_text.size()) {
            const auto c = static_cast<unsigned char>(m_text[m_at++]);
            if (c == '"')
                return true;
            if (c < 0x20)
                return false;
            if (c != '\\')
                continue;
            if (m_at >= m_text.size())
                return false;
            const char escaped = m_text[m_at++];
            if (escaped == 'u') {
                for (int k = 0; k < 4; ++k) {
                    if (m_at >= m_text.size() || !std::isxdigit(static_cast<unsigned char>(m_text[m_at++])))
                        return false;
                }
            } else if (!std::strchr("\"\\/bfnrt", escaped) || escaped == '\0') {
                return false;
            }
        }
        return false;
    }
    // The members of an object (`close` '}') or the items of an array (']').
    bool members(char close, bool named)
    {
        if (++m_depth > kMaxDepth)
            return false;
        space();
        if (take(close))
            return --m_depth, true;
        do {
            space();
            if (named && !(string() && (space(), take(':'))))
                return false;
            space();
            if (!value())
                return false;
            space();
        } while (take(','));
        --m_depth;
        return take(close);
    }
    bool value()
    {
        if (take('{'))
            return members('}', true);
        if (take('['))
            return members(']', false);
        if (peek('"'))
            return string();
        if (word("true") || word("false") || word("null"))
            return true;
        return number();
    }

    const std::string& m_text;
    std::size_t m_at = 0;
    int m_depth = 0;
};

} // namespace

JournalLineReader::JournalLineReader(const std::string& path) : JournalLineReader(path, 0, 0) {}

JournalLineReader::JournalLineReader(const std::string& path, std::uint64_t file, std::uint64_t from)
{
    // The history is the journal's own file: a link planted in its place is not read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const int openError = errno;
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || !(m_file = ::fdopen(fd, "rb"))) {
        // A missing history is one not written yet; anything else standing there is said.
        if (fd >= 0 ? !S_ISREG(info.st_mode) : openError == ELOOP)
            m_error = path + " is not a plain file of the journal's own (a symbolic link, FIFO or folder stands "
                             "there); it is not read - move it aside";
        else if (fd < 0 && openError != ENOENT)
            m_error = "cannot read " + path + ": " + std::strerror(openError);
        if (fd >= 0)
            ::close(fd);
        return;
    }
    m_identity = (static_cast<std::uint64_t>(info.st_dev) << 32) ^ static_cast<std::uint64_t>(info.st_ino);
    if (file != m_identity || from > static_cast<std::uint64_t>(info.st_size) ||
        ::fseeko(m_file, static_cast<off_t>(from), SEEK_SET) != 0) {
        from = 0;
        std::rewind(m_file);
    }
    m_at = from;
    m_wholeLinesEnd = from;
}

JournalLineReader::~JournalLineReader()
{
    if (m_file)
        std::fclose(m_file);
}

bool JournalLineReader::readLine(std::string& line, bool& tooLong)
{
    line.clear();
    tooLong = false;
    if (!m_file)
        return false;
    int c = std::getc(m_file);
    if (c == EOF)
        return false;
    for (; c != EOF && c != '\n'; c = std::getc(m_file)) {
        ++m_at;
        if (line.size() < kMaxLineBytes)
            line += static_cast<char>(c);
        else
            tooLong = true;
    }
    if (c == '\n')
        m_wholeLinesEnd = ++m_at;
    return true;
}

bool JournalLineReader::next(std::string& line)
{
    bool tooLong = false;
    while (readLine(line, tooLong)) {
        if (!tooLong && isRecord(line))
            return true;
        if (tooLong || line.find_first_not_of(" \t\r") != std::string::npos)
            ++m_damaged;
    }
    return false;
}

bool JournalLineReader::isRecord(const std::string& line)
{
    return validUtf8(line) == line && JsonSyntax(line).wholeObject();
}

std::string JournalLineReader::damagedText(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " damaged line skipped" : " damaged lines skipped");
}

} // namespace z2e
