#include "tools/board_features.h"

#include "core/node_result_text.h"
#include "driver/command/app_status.h"
#include "tools/board_selection.h"
#include "tools/journalled_change.h"
#include "uni/number_text.h"
#include "xpugi/untrusted_parse.h"

#include <pugixml.hpp>

namespace z2e {

namespace {

bool hidden(const pugi::xml_node& element)
{
    return std::string(element.attribute("Visible").value()) == "false";
}

std::uint32_t hexOf(const char* text)
{
    std::uint32_t value = 0;
    uni::text::parseHex32(text, value);
    return value;
}

std::uint32_t featureSetOf(const pugi::xml_node& properties)
{
    return hexOf(properties.first_element_by_path("BoardInfo/BaseBoard/SelfCal/FeatureSet").child_value());
}

} // namespace

int FeatureRow::selected(std::uint32_t featureSet) const
{
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i].value == (featureSet & mask))
            return static_cast<int>(i);
    }
    return -1;
}

int FeatureRow::find(const std::string& text) const
{
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i].text == text)
            return static_cast<int>(i);
    }
    return -1;
}

BoardFeatures::BoardFeatures(QorinNodeUtilWrapper& wrapper, MaintenanceJournal* journal)
    : m_wrapper(wrapper), m_journal(journal)
{
}

FeatureTable BoardFeatures::parse(const std::string& properties)
{
    FeatureTable table;
    pugi::xml_document xml;
    xpugi::parseUntrusted(xml, properties);
    const pugi::xml_node root = xml.child("Properties");
    if (!root)
        return table;
    table.boardId = root.attribute("BoardID").value();
    table.featureSet = featureSetOf(root);
    for (const pugi::xml_node& item : root.child("BoardInfo").child("FeatureList").children("FeatureItem")) {
        if (hidden(item))
            continue;
        FeatureRow row;
        row.name = item.attribute("Name").value();
        row.mask = hexOf(item.attribute("Mask").value());
        for (const pugi::xml_node& value : item.children("FeatureValue")) {
            if (!hidden(value))
                row.values.push_back({hexOf(value.attribute("Value").value()), value.child_value()});
        }
        table.rows.push_back(row);
    }
    return table;
}

std::uint32_t BoardFeatures::apply(std::uint32_t featureSet, std::uint32_t mask, std::uint32_t value)
{
    if ((value & ~mask) != 0)
        return featureSet;
    return (featureSet & ~mask) | value;
}

std::int32_t BoardFeatures::read(std::uint32_t board, FeatureTable& table)
{
    table = FeatureTable();
    std::vector<std::uint32_t> chosen;
    if (!BoardSelection::choose({board}, m_wrapper.getBoardCount(), chosen, m_message))
        return AppStatus::NoSuchBoard;
    std::string properties;
    const std::int32_t result = m_wrapper.getBoardProperties(board, properties);
    if (result >= 1)
        return result;
    table = parse(properties);
    return AppStatus::Ok;
}

std::int32_t BoardFeatures::write(std::uint32_t board, std::uint32_t featureSet)
{
    m_message.clear();
    m_readBack.clear();
    std::vector<std::uint32_t> chosen;
    if (!BoardSelection::choose({board}, m_wrapper.getBoardCount(), chosen, m_message))
        return AppStatus::NoSuchBoard;
    std::string properties;
    if (m_wrapper.getBoardProperties(board, properties) >= 1)
        properties.clear();
    BoardIdentity before = BoardIdentity::fromProperties(board, properties);
    before.readPlace(m_wrapper);
    const std::string written = uni::text::hex8(featureSet, false);
    JournalledChange change(m_journal, before, "features",
                            uni::text::hex8(parse(properties).featureSet, false) + " -> " + written);
    const std::int32_t snapshot = change.snapshot(
        [&](MaintenanceJournal& journal, std::vector<std::string>& files) {
            return journal.snapshot(m_wrapper, before, "features", files);
        },
        m_message);
    if (snapshot != AppStatus::Ok)
        return snapshot;
    const std::int32_t result = m_wrapper.setSelfCalFeatureSet(board, featureSet);
    m_readBack.read(m_wrapper, board);
    if (result <= 0) {
        const std::uint32_t now = parse(m_readBack.properties).featureSet;
        m_readBack.verification = m_readBack.propertiesResult >= 1 ? m_readBack.failure()
                                  : now == featureSet
                                      ? "verified"
                                      : "feature set: wrote " + written + ", read " + uni::text::hex8(now, false);
    }
    const std::string text = result <= 0 ? "Board configuration changed." : nodeResultText(result, &m_wrapper);
    return change.finish(result, text, m_readBack.verification, m_message);
}

} // namespace z2e
