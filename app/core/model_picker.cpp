#include "core/model_picker.h"

#include "core/board_list_item.h"
#include "core/description_parser.h"
#include "core/enclosure_list_item.h"
#include "core/node_types.h"
#include "driver/command/app_status.h"
#include "driver/command/qorin_node_util_wrapper.h"
#include "uni/log.h"
#include "xpugi/element.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace z2e {
namespace {

const char* const kLogChannel = "demo";

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The Model elements of a listing whose root is `rootName`; an empty range for anything else.
pugi::xml_node listingRoot(const std::string& text, const char* rootName, pugi::xml_document& document)
{
    if (!DescriptionParser::parseXml(text, document))
        return pugi::xml_node();
    const pugi::xml_node root = document.document_element();
    return std::strcmp(root.name(), rootName) == 0 ? root : pugi::xml_node();
}

template <typename Make>
bool parseListing(const std::string& text, const char* rootName, ModelPicker::ItemList& items, Make make)
{
    items.clear();
    pugi::xml_document document;
    const pugi::xml_node root = listingRoot(text, rootName, document);
    if (!root)
        return false;
    for (const pugi::xml_node model : root.children("Model")) {
        if (items.size() >= ModelPicker::kMaxItems) {
            UNI_LOG(kLogChannel, uni::log::warning)
                << rootName << ": entries beyond " << ModelPicker::kMaxItems << " ignored";
            break;
        }
        const std::string name = xpugi::attributeValue(model, "Name");
        const pugi::xml_node key = model.child("KEY");
        if (name.empty() || !key)
            continue;
        items.push_back(make(model, name, xpugi::printNode(key), key));
    }
    return true;
}

} // namespace

std::uint32_t ModelPicker::listKindFor(std::uint32_t nodeType)
{
    switch (nodeType) {
    case NodeType::Root:
    case NodeType::Enclosure: return PickerKind::Enclosure;
    case NodeType::BoardSlot:
    case NodeType::EmptySlot: return PickerKind::Board;
    default: return 0;
    }
}

bool ModelPicker::parseBoardListing(const std::string& document, ItemList& items)
{
    return parseListing(
        document, "BoardKey2Name", items,
        [](const pugi::xml_node& model, const std::string& name, std::string key, const pugi::xml_node&) {
            auto item = std::make_unique<BoardListItem>(name, std::move(key));
            item->family = xpugi::attributeValue(model, "Family");
            item->displayName = name;
            item->filterText = name + " " + item->family;
            return item;
        });
}

bool ModelPicker::parseEnclosureListing(const std::string& document, ItemList& items)
{
    return parseListing(
        document, "EnclosureKey2Name", items,
        [](const pugi::xml_node& model, const std::string& name, std::string keyText, const pugi::xml_node& key) {
            auto item = std::make_unique<EnclosureListItem>(name, std::move(keyText));
            item->encName = xpugi::attributeValue(key, "EncName");
            item->slotCount = xpugi::attributeValue(model, "Slots");
            item->displayName = name;
            return item;
        });
}

ModelPicker::Listings ModelPicker::loadListings(QorinNodeUtilWrapper& wrapper)
{
    Listings listings;
    for (const std::uint32_t kind : {PickerKind::Enclosure, PickerKind::Board}) {
        ItemList items;
        if (load(wrapper, kind, items) == 0)
            listings[kind] = std::move(items);
    }
    return listings;
}

std::int32_t ModelPicker::load(QorinNodeUtilWrapper& wrapper, std::uint32_t kind, ItemList& items)
{
    items.clear();
    std::string document;
    const bool boards = kind == PickerKind::Board;
    const std::int32_t result = boards ? wrapper.getBoardKeyNames(document) : wrapper.getEnclosureKeyNames(document);
    if (result > 0) {
        UNI_LOG(kLogChannel, uni::log::warning) << (boards ? "board" : "enclosure") << " listing failed: " << result;
        return result;
    }
    const bool parsed = boards ? parseBoardListing(document, items) : parseEnclosureListing(document, items);
    if (!parsed) {
        UNI_LOG(kLogChannel, uni::log::warning) << (boards ? "board" : "enclosure") << " listing is not usable";
        return DescriptionParser::Unparsable;
    }
    return AppStatus::Ok;
}

std::int32_t ModelPicker::fill(QorinNodeUtilWrapper& wrapper, std::uint32_t nodeType)
{
    clear();
    const std::uint32_t kind = listKindFor(nodeType);
    if (kind == 0)
        return AppStatus::Ok;
    const std::int32_t result = load(wrapper, kind, m_items);
    if (result == AppStatus::Ok)
        m_kind = kind;
    return result;
}

const ModelPickerItem* ModelPicker::at(std::size_t position) const
{
    return position < m_items.size() ? m_items[position].get() : nullptr;
}

const ModelPickerItem* ModelPicker::find(const std::string& name) const
{
    const std::string wanted = lowered(name);
    for (const auto& item : m_items) {
        if (lowered(item->name) == wanted)
            return item.get();
    }
    return nullptr;
}

std::vector<std::size_t> ModelPicker::matching(const std::string& filter) const
{
    const std::string wanted = lowered(filter);
    std::vector<std::size_t> positions;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const auto* board = dynamic_cast<const BoardListItem*>(m_items[i].get());
        const std::string text = lowered(board ? board->filterText : m_items[i]->name);
        if (text.find(wanted) != std::string::npos)
            positions.push_back(i);
    }
    return positions;
}

void ModelPicker::clear()
{
    m_items.clear();
    m_kind = 0;
}

} // namespace z2e
