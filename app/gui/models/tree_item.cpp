#include "gui/models/tree_item.h"

#include <limits>
#include <utility>

namespace z2e {

struct TreeItem::Children {
    std::vector<TreeItem> items;
    std::string texts;       ///< the items' texts, back to back
    std::size_t unused = 0;  ///< bytes of `texts` no item refers to any more

    /// Places `text` in the buffer for an item, over `offset`/`length` when it fits there.
    void place(const std::string& text, std::uint32_t& offset, std::uint32_t& length)
    {
        if (text.size() <= length) {
            text.copy(&texts[offset], text.size());
            unused += length - text.size();
        } else if (texts.size() + text.size() <= std::numeric_limits<std::uint32_t>::max()) {
            unused += length;
            offset = static_cast<std::uint32_t>(texts.size());
            texts += text;
        } else {
            return; // a block of 4 GiB of text keeps the old one
        }
        length = static_cast<std::uint32_t>(text.size());
        if (unused > texts.size() / 2)
            compact();
    }

    void compact()
    {
        std::string packed;
        packed.reserve(texts.size() - unused);
        for (TreeItem& item : items) {
            const auto offset = static_cast<std::uint32_t>(packed.size());
            packed.append(texts, item.m_textOffset, item.m_textLength);
            item.m_textOffset = offset;
        }
        texts = std::move(packed);
        unused = 0;
    }
};

TreeItem::TreeItem() = default;

TreeItem::TreeItem(TreeItem* parent, const ModelNode* node) : m_node(node), m_parent(parent) {}

TreeItem::~TreeItem()
{
    clearChildren();
}

TreeItem::TreeItem(TreeItem&& other) noexcept
    : m_node(other.m_node)
    , m_parent(other.m_parent)
    , m_children(std::move(other.m_children))
    , m_textOffset(other.m_textOffset)
    , m_textLength(other.m_textLength)
    , m_icon(other.m_icon)
    , m_red(other.m_red)
    , m_childrenBuilt(other.m_childrenBuilt)
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
    m_icon = other.m_icon;
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
    m_parent->m_children->place(row.text, m_textOffset, m_textLength);
    m_icon = static_cast<std::int8_t>(row.icon);
    m_red = row.red;
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

void TreeItem::startChildren(std::size_t expected)
{
    clearChildren();
    m_childrenBuilt = true;
    if (expected == 0)
        return;
    m_children = std::make_unique<Children>();
    m_children->items.reserve(expected);
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
    for (int i = row; i < row + count; ++i)
        m_children->unused += items[static_cast<std::size_t>(i)].m_textLength;
    items.erase(items.begin() + row, items.begin() + row + count);
    return true;
}

// Bottom-up without recursion, so a deep tree cannot exhaust the stack on destruction.
void TreeItem::clearChildren()
{
    m_childrenBuilt = false;
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
