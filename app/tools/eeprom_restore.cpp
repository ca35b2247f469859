#include "tools/eeprom_restore.h"

#include "core/application_status.h"
#include "core/description_parser.h"
#include "core/node_result_text.h"
#include "driver/command/app_status.h"
#include "tools/journalled_eeprom_write.h"
#include "xpugi/untrusted_parse.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace z2e {

EepromRestore::EepromRestore(QorinNodeUtilWrapper& wrapper, MaintenanceJournal* journal)
    : m_wrapper(wrapper), m_journal(journal)
{
}

std::int32_t EepromRestore::load(const std::string& path, EepromWhich which, std::string& document,
                                 std::string& message)
{
    document.clear();
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        message = "cannot open " + path + ": " + std::strerror(errno);
        return AppStatus::EepromDocumentFailed;
    }
    if (!S_ISREG(info.st_mode)) {
        message = path + " is not a regular file";
        return AppStatus::EepromDocumentFailed;
    }
    if (static_cast<std::uint64_t>(info.st_size) > kMaxFileBytes) {
        message = path + " is larger than 16 MiB, more than any EEPROM backup";
        return AppStatus::EepromDocumentFailed;
    }
    std::ifstream in(path, std::ios::binary);
    std::string content(static_cast<std::size_t>(info.st_size), '\0');
    // A file that grew since the size was taken is still read only up to it.
    if (!in || !in.read(&content[0], static_cast<std::streamsize>(content.size()))) {
        message = "cannot read " + path;
        return AppStatus::EepromDocumentFailed;
    }
    return check(content, path, which, document, message);
}

namespace {

// Tree nodes a text can make are bounded by its markup: counted before the parse, a hostile
// file cannot make the parser take more than a small multiple of kMaxNodes.
bool markupWithin(const std::string& content, std::size_t limit)
{
    std::size_t opening = 0;
    std::size_t equals = 0;
    for (const char c : content) {
        opening += c == '<';
        equals += c == '=';
        if (opening > 2 * limit || equals > limit)
            return false;
    }
    return true;
}

// The deepest level below `root` (1 for its children) and the count of its elements and
// attributes, both stopping once past their limits. Iterative: any depth costs one walk.
void measure(const pugi::xml_node& root, std::size_t& depth, std::size_t& nodes)
{
    depth = 0;
    nodes = 0;
    std::size_t level = 0;
    pugi::xml_node node = root;
    for (;;) {
        if (node.type() == pugi::node_element) {
            ++nodes;
            for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
                ++nodes;
            depth = std::max(depth, level);
        }
        if (depth > EepromRestore::kMaxNesting || nodes > EepromRestore::kMaxNodes)
            return;
        if (node.first_child()) {
            node = node.first_child();
            ++level;
            continue;
        }
        while (node != root && !node.next_sibling()) {
            node = node.parent();
            --level;
        }
        if (node == root)
            return;
        node = node.next_sibling();
    }
}

} // namespace

std::int32_t EepromRestore::check(const std::string& content, const std::string& path, EepromWhich which,
                                  std::string& document, std::string& message)
{
    static_assert(kMaxNesting == static_cast<std::size_t>(DescriptionParser::kMaxDepth),
                  "an EEPROM document nests as deep as a board's description tree may");
    document.clear();
    const std::string refusal = "; a board's EEPROM document keeps at most ";
    if (!markupWithin(content, kMaxNodes)) {
        message = path + " holds more than " + std::to_string(kMaxNodes) + " elements and attributes" + refusal +
                  std::to_string(kMaxNodes);
        return AppStatus::EepromDocumentFailed;
    }
    pugi::xml_document xml;
    const pugi::xml_parse_result parsed = xml.load_buffer(content.data(), content.size());
    if (!parsed) {
        message = path + " is no XML document: " + parsed.description();
        return AppStatus::EepromDocumentFailed;
    }
    const pugi::xml_node rootElement = xml.document_element();
    const char* root = rootElement.name();
    if (*root == '\0' || std::strcmp(root, eepromRootName(which)) != 0) {
        message = path + " holds " + (*root ? std::string(root) : std::string("no element")) + ", not " +
                  eepromRootName(which);
        return AppStatus::EepromFileInvalid;
    }
    for (pugi::xml_node other = rootElement.next_sibling(); other; other = other.next_sibling()) {
        if (other.type() == pugi::node_element || other.type() == pugi::node_pcdata ||
            other.type() == pugi::node_cdata) {
            message = path + " holds more after its " + root + " element; a backup holds that element alone";
            return AppStatus::EepromFileInvalid;
        }
    }
    std::size_t depth = 0;
    std::size_t nodes = 0;
    measure(rootElement, depth, nodes);
    if (depth > kMaxNesting) {
        message = path + " nests elements more than " + std::to_string(kMaxNesting) + " levels deep below " + root +
                  refusal + std::to_string(kMaxNesting) + " levels";
        return AppStatus::EepromDocumentFailed;
    }
    if (nodes > kMaxNodes) {
        message = path + " holds more than " + std::to_string(kMaxNodes) + " elements and attributes" + refusal +
                  std::to_string(kMaxNodes);
        return AppStatus::EepromDocumentFailed;
    }
    std::ostringstream text;
    xml.save(text, "", pugi::format_raw | pugi::format_no_declaration);
    if (text.tellp() > static_cast<std::streamoff>(kMaxDocumentBytes)) {
        message = path + " holds a document of " + std::to_string(static_cast<long long>(text.tellp())) + " bytes" +
                  refusal + std::to_string(kMaxDocumentBytes) + " bytes (1 MiB)";
        return AppStatus::EepromDocumentFailed;
    }
    document = text.str();
    return AppStatus::Ok;
}

std::string EepromRestore::serialOf(const std::string& document)
{
    pugi::xml_document xml;
    if (!xpugi::parseUntrusted(xml, document))
        return {};
    return xml.document_element().child("BoardInfo").child_value("SerialNumber");
}

std::string EepromRestore::boardSerialOf(const std::string& properties, EepromWhich which)
{
    pugi::xml_document xml;
    if (!xpugi::parseUntrusted(xml, properties))
        return {};
    const pugi::xml_node info = xml.child("Properties").child("BoardInfo");
    return which == EepromWhich::Base ? info.child_value("SerialNumber")
                                      : info.child("ConPanel").child_value("SerialNumber");
}

bool EepromRestore::sameSerial(const std::string& left, const std::string& right)
{
    const auto trimmed = [](const std::string& text) {
        const auto first = text.find_first_not_of(" \t\r\n");
        if (first == std::string::npos)
            return std::string();
        std::string word = text.substr(first, text.find_last_not_of(" \t\r\n") + 1 - first);
        for (char& c : word)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return word;
    };
    return trimmed(left) == trimmed(right);
}

bool EepromRestore::sameBoard(std::uint32_t board, EepromWhich which, const std::string& document,
                              const std::string& path)
{
    if (m_allowOtherBoard)
        return true;
    // A board whose serial number cannot be read (or a backup without one) is no other board
    // as far as anyone can tell.
    std::string properties;
    if (m_wrapper.getBoardProperties(board, properties) >= 1)
        return true;
    const std::string backup = serialOf(document);
    const std::string own = boardSerialOf(properties, which);
    if (backup.empty() || own.empty() || sameSerial(backup, own))
        return true;
    m_backupSerial = backup;
    m_boardSerial = own;
    const std::string part = which == EepromWhich::Base ? "board " + std::to_string(board)
                                                        : "the connector panel of board " + std::to_string(board);
    m_message = path + " is a backup of serial number " + backup + ", but " + part + " has serial number " + own +
                "; nothing was written";
    return false;
}

std::int32_t EepromRestore::fromFile(std::uint32_t board, EepromWhich which, const std::string& path)
{
    m_verification.clear();
    m_message.clear();
    m_backupSerial.clear();
    m_boardSerial.clear();
    std::string document;
    const std::int32_t loaded = load(path, which, document, m_message);
    if (loaded != AppStatus::Ok)
        return loaded;
    if (!sameBoard(board, which, document, path))
        return AppStatus::EepromFileInvalid;
    JournalledEepromWrite change(m_wrapper, m_journal);
    const std::int32_t status =
        change.run(board, "eeprom-restore", std::string(eepromShortName(which)) + " from " + path, which,
                   JournalledEepromWrite::ReadBack::Document, [&] {
                       EepromWriteStep step;
                       step.status = which == EepromWhich::Base ? m_wrapper.setBaseEeprom(board, document)
                                                                : m_wrapper.setConEeprom(board, document);
                       step.staged = step.status == AppStatus::BaseEepromWriteFailed ||
                                     step.status == AppStatus::ConEepromWriteFailed;
                       step.sent = document;
                       return step;
                   });
    m_verification = change.verification();
    m_message = change.message();
    return status;
}

std::int32_t EepromRestore::automatic(std::uint32_t board, EepromWhich which)
{
    m_verification.clear();
    m_message.clear();
    JournalledEepromWrite change(m_wrapper, m_journal);
    const std::int32_t status = change.run(
        board, "eeprom-auto-restore", eepromShortName(which), which, JournalledEepromWrite::ReadBack::Readable, [&] {
            EepromWriteStep step;
            step.status = which == EepromWhich::Base ? m_wrapper.autoRestoreBaseEeprom(board)
                                                     : m_wrapper.autoRestoreConEeprom(board);
            return step;
        });
    m_verification = change.verification();
    m_message = change.message();
    if (m_message.empty() && status >= 1)
        m_message = nodeResultText(status, &m_wrapper);
    return status;
}

std::string EepromRestore::progressText(EepromWhich which, bool automatic)
{
    if (automatic)
        return which == EepromWhich::Base ? "Auto Restore BaseBoard EEPROM started"
                                          : "Auto Restore Con-Panel EEPROM started";
    return which == EepromWhich::Base ? "Restoring the content of the\nbase board EEPROM from file."
                                      : "Restoring the content of the\nconnector panel EEPROM from file.";
}

std::string EepromRestore::outcomeText(std::int32_t status)
{
    return status <= AppStatus::Ok ? "Restore finished.\nRestart Application to enable changes!"
                                   : statusMessage(status);
}

std::string EepromRestore::outcomeText(std::int32_t status, const std::string& verification)
{
    const bool verified = verification == "verified";
    if (status == AppStatus::JournalFailed && verified)
        return "Restore written and verified, but its journal line could not be written.\n"
               "Restart Application to enable changes!";
    if (status >= 1 || verification.empty())
        return outcomeText(status);
    if (verified)
        return outcomeText(status);
    return "Restore not verified: the board does not report what was written.\nRead-back: " + verification;
}

} // namespace z2e
