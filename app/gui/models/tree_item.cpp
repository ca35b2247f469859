#include "gui/models/tree_item.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace z2e {

namespace {

// Longer row texts are cut: the length shares its word with the flags.
constexpr std::size_t kMaxTextLength = (1u << 24) - 1;

} // namespace

struct TreeItem::Children {
    std::vector<TreeItem> items;
    std::string texts; ///< the items' texts, back to back

    /// Places `text` in the buffer for `item`, over its old text when it fits there.
    void place(const std::string& text, TreeItem& item)
    {
        const std::size_t length = std::min<std::size_t>(text.size(), kMaxTextLength);
        if (length <= item.m_textLength) {
            text.copy(&texts[item.m_textOffset], length);
            item.m_textLength = static_cast<std::uint32_t>(length);
            return;
        }
        item.m_textLength = 0;
        // Before the buffer would grow, it sheds the texts no item shows any more.
        if (texts.size() + length > texts.capacity())
            compact(length);
        if (texts.size() + length > std::numeric_limits<std::uint32_t>::max())
            return;
        item.m_textOffset = static_cast<std::uint32_t>(texts.size());
        texts.append(text, 0, length);
        item.m_textLength = static_cast<std::uint32_t>(length);
    }

    /// Packs the shown texts, with room for twice them and `more` bytes.
    void compact(std::size_t more)
    {
        std::size_t live = more;
        for (const TreeItem& item : items)
            live += item.m_textLength;
        std::string packed;
        packed.reserve(2 * live);
        for (TreeItem& item : items) {
            const auto offset = static_cast<std::uint32_t>(packed.size());
            packed.append(texts, item.m_textOffset, item.m_textLength);
            item.m_textOffset = offset;
        }
        texts = std::move(packed);
    }
};

static_assert(sizeof(void*) != 8 || sizeof(TreeItem) == 32, "an item per row: keep it small");

TreeItem::TreeItem() : m_textLength(0), m_iconPlace(0), m_red(0), m_childrenBuilt(0) {}

TreeItem::TreeItem(TreeItem* parent, const ModelNode* node)
    : m_node(node), m_parent(parent), m_textLength(0), m_iconPlace(0), m_red(0), m_childrenBuilt(0)
{
}

TreeItem::~TreeItem()
{
    clearChildren();
}

TreeItem::TreeItem(TreeItem&& other) noexcept
    : m_node(other.m_node), m_parent(other.m_parent), m_children(std::move(other.m_children)),
      m_textOffset(other.m_textOffset), m_textLength(other.m_textLength), m_iconPlace(other.m_iconPlace),
      m_red(other.m_red), m_childrenBuilt(other.m_childrenBuilt)
{
    adoptChildren();
}

TreeItem& TreeItem::operator=(TreeItem&& other) noexcept
{
    if (this == &other)
        return *this;
    clearChildren();
    m_node = other.m_node;
    m_parent = other.m_parent;
    m_children = std::move(other.m_children);
    m_textOffset = other.m_textOffset;
    m_textLength = other.m_textLength;
    m_iconPlace = other.m_iconPlace;
    m_red = other.m_red;
    m_childrenBuilt = other.m_childrenBuilt;
    adoptChildren();
    return *this;
}

void TreeItem::adoptChildren()
{
    if (!m_children)
        return;
    for (TreeItem& child : m_children->items)
        child.m_parent = this;
}

int TreeItem::row() const
{
    if (!m_parent || !m_parent->m_children)
        return 0;
    return static_cast<int>(this - m_parent->m_children->items.data());
}

QString TreeItem::text() const
{
    if (!m_parent || !m_parent->m_children)
        return QString();
    return QString::fromUtf8(m_parent->m_children->texts.data() + m_textOffset, static_cast<int>(m_textLength));
}

void TreeItem::setRow(const ComposedRow& row)
{
    if (!m_parent || !m_parent->m_children)
        return;
    m_parent->m_children->place(row.text, *this);
    m_iconPlace = row.icon >= 0 && row.icon < TreeIcon::TableSize ? static_cast<std::uint32_t>(row.icon + 1) : 0;
    m_red = row.red ? 1 : 0;
}

int TreeItem::childCount() const
{
    return m_children ? static_cast<int>(m_children->items.size()) : 0;
}

TreeItem* TreeItem::child(int row) const
{
    if (row < 0 || row >= childCount())
        return nullptr;
    return &m_children->items[static_cast<std::size_t>(row)];
}

void TreeItem::startChildren(std::size_t rows, std::size_t textBytes)
{
    clearChildren();
    m_childrenBuilt = 1;
    if (rows == 0)
        return;
    m_children = std::make_unique<Children>();
    m_children->items.reserve(rows);
    m_children->texts.reserve(textBytes);
}

void TreeItem::appendChild(const ModelNode* node, const ComposedRow& row)
{
    if (!m_children)
        m_children = std::make_unique<Children>();
    m_children->items.push_back(TreeItem(this, node));
    m_children->items.back().setRow(row);
}

bool TreeItem::removeChildren(int row, int count)
{
    if (row < 0 || count < 0 || row > childCount() - count)
        return false;
    if (count == 0)
        return true;
    std::vector<TreeItem>& items = m_children->items;
    items.erase(items.begin() + row, items.begin() + row + count);
    return true;
}

// Bottom-up without recursion, so a deep tree cannot exhaust the stack on destruction.
void TreeItem::clearChildren()
{
    m_childrenBuilt = 0;
    std::vector<std::unique_ptr<Children>> pending;
    if (m_children)
        pending.push_back(std::move(m_children));
    while (!pending.empty()) {
        std::unique_ptr<Children> block = std::move(pending.back());
        pending.pop_back();
        for (TreeItem& item : block->items) {
            if (item.m_children)
                pending.push_back(std::move(item.m_children));
        }
    }
}

} // namespace z2e
