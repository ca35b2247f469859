#include "gui/models/tree_item.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace z2e {

namespace {

// Longer row texts are cut: the length shares its word with the flags.
constexpr std::size_t kMaxTextLength = (1u << 24) - 1;
constexpr std::size_t kMaxOffset = std::numeric_limits<std::uint32_t>::max();

} // namespace

/// The rows below one item: this header, then the items, then their texts, in one allocation.
/// A refresh that makes a text longer than the room left puts it in a spill buffer of its own,
/// since the items must not move while views hold their indexes.
struct TreeItem::Block {
    std::unique_ptr<std::string> spill; ///< its offsets start after the block's own texts
    std::uint32_t count = 0;
    std::uint32_t capacity = 0; ///< rows
    std::uint32_t textUsed = 0;
    std::uint32_t textCapacity = 0;

    static Block* make(std::size_t rows, std::size_t textBytes)
    {
        static_assert(sizeof(Block) % alignof(TreeItem) == 0, "items follow the header");
        void* memory = ::operator new(sizeof(Block) + rows * sizeof(TreeItem) + textBytes);
        Block* block = new (memory) Block();
        block->capacity = static_cast<std::uint32_t>(rows);
        block->textCapacity = static_cast<std::uint32_t>(textBytes);
        return block;
    }

    /// Frees the block; its items' own rows must be gone already.
    static void release(Block* block)
    {
        for (std::uint32_t i = 0; i < block->count; ++i)
            block->items()[i].~TreeItem();
        block->~Block();
        ::operator delete(block);
    }

    TreeItem* items() { return reinterpret_cast<TreeItem*>(this + 1); }
    char* texts() { return reinterpret_cast<char*>(items() + capacity); }

    char* textAt(std::uint32_t offset)
    {
        return offset < textCapacity ? texts() + offset : &(*spill)[offset - textCapacity];
    }

    /// Places `text` for `item`, over its old text when it fits there.
    void place(const std::string& text, TreeItem& item)
    {
        const std::size_t length = std::min<std::size_t>(text.size(), kMaxTextLength);
        if (length <= item.m_textLength) {
            if (length > 0)
                text.copy(textAt(item.m_textOffset), length);
            item.m_textLength = static_cast<std::uint32_t>(length);
            return;
        }
        item.m_textLength = 0;
        if (length <= textCapacity - textUsed) {
            item.m_textOffset = textUsed;
            text.copy(texts() + textUsed, length);
            textUsed += static_cast<std::uint32_t>(length);
            item.m_textLength = static_cast<std::uint32_t>(length);
            return;
        }
        if (!spill)
            spill = std::make_unique<std::string>();
        // Before the spill buffer would grow, it sheds the texts no item shows any more.
        if (spill->size() + length > spill->capacity())
            compactSpill(length);
        if (textCapacity + spill->size() + length > kMaxOffset)
            return;
        item.m_textOffset = static_cast<std::uint32_t>(textCapacity + spill->size());
        spill->append(text, 0, length);
        item.m_textLength = static_cast<std::uint32_t>(length);
    }

    /// Packs the spilt texts still shown, with room for twice them and `more` bytes.
    void compactSpill(std::size_t more)
    {
        std::size_t live = more;
        for (std::uint32_t i = 0; i < count; ++i)
            live += spilt(items()[i]) ? items()[i].m_textLength : 0;
        std::string packed;
        packed.reserve(2 * live);
        for (std::uint32_t i = 0; i < count; ++i) {
            TreeItem& item = items()[i];
            if (!spilt(item))
                continue;
            const auto offset = static_cast<std::uint32_t>(textCapacity + packed.size());
            packed.append(*spill, item.m_textOffset - textCapacity, item.m_textLength);
            item.m_textOffset = offset;
        }
        *spill = std::move(packed);
    }

    bool spilt(const TreeItem& item) const { return item.m_textLength > 0 && item.m_textOffset >= textCapacity; }
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

int TreeItem::row() const
{
    if (!m_parent || !m_parent->m_children)
        return 0;
    return static_cast<int>(this - m_parent->m_children->items());
}

QString TreeItem::text() const
{
    if (!m_parent || !m_parent->m_children || m_textLength == 0)
        return QString();
    return QString::fromUtf8(m_parent->m_children->textAt(m_textOffset), static_cast<int>(m_textLength));
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
    return m_children ? static_cast<int>(m_children->count) : 0;
}

TreeItem* TreeItem::child(int row) const
{
    if (row < 0 || row >= childCount())
        return nullptr;
    return &m_children->items()[row];
}

void TreeItem::startChildren(std::size_t rows, std::size_t textBytes)
{
    clearChildren();
    m_childrenBuilt = 1;
    if (rows == 0)
        return;
    // Beyond these, rows are not shown and texts go to the spill buffer.
    rows = std::min<std::size_t>(rows, INT_MAX);
    textBytes = std::min(textBytes, kMaxOffset / 2);
    m_children = Block::make(rows, textBytes);
}

bool TreeItem::appendChild(const ModelNode* node, const ComposedRow& row)
{
    if (!m_children || m_children->count == m_children->capacity)
        return false;
    TreeItem* item = new (&m_children->items()[m_children->count]) TreeItem(this, node);
    ++m_children->count;
    item->setRow(row);
    return true;
}

bool TreeItem::removeChildren(int row, int count)
{
    if (row < 0 || count < 0 || row > childCount() - count)
        return false;
    if (count == 0)
        return true;
    TreeItem* items = m_children->items();
    const int total = childCount();
    for (int i = row; i < row + count; ++i)
        items[i].clearChildren();
    // The rows behind move up, and the rows below them follow their new place.
    for (int i = row + count; i < total; ++i) {
        TreeItem& to = items[i - count];
        TreeItem& from = items[i];
        to.m_node = from.m_node;
        to.m_children = std::exchange(from.m_children, nullptr);
        to.m_textOffset = from.m_textOffset;
        to.m_textLength = from.m_textLength;
        to.m_iconPlace = from.m_iconPlace;
        to.m_red = from.m_red;
        to.m_childrenBuilt = from.m_childrenBuilt;
        for (int c = 0; c < to.childCount(); ++c)
            to.m_children->items()[c].m_parent = &to;
    }
    for (int i = total - count; i < total; ++i)
        items[i].~TreeItem();
    m_children->count -= static_cast<std::uint32_t>(count);
    return true;
}

// Bottom-up without recursion, so a deep tree cannot exhaust the stack on destruction.
void TreeItem::clearChildren()
{
    m_childrenBuilt = 0;
    if (!m_children)
        return;
    std::vector<Block*> pending{std::exchange(m_children, nullptr)};
    while (!pending.empty()) {
        Block* block = pending.back();
        pending.pop_back();
        for (std::uint32_t i = 0; i < block->count; ++i) {
            TreeItem& item = block->items()[i];
            if (item.m_children)
                pending.push_back(std::exchange(item.m_children, nullptr));
        }
        Block::release(block);
    }
}

} // namespace z2e
