#include "core/model_node.h"

#include <functional>
#include <iterator>

namespace z2e {

// A system has tens of thousands of nodes: a new member should not slip in unnoticed.
static_assert(sizeof(void*) != 8 || sizeof(std::string) != 32 || sizeof(ModelNode) == 88, "ModelNode changed size");

ModelNode::ModelNode(std::uint32_t systemKind_, std::uint32_t nodeType_)
    : systemKind(static_cast<std::uint16_t>(systemKind_)), nodeType(static_cast<std::uint16_t>(nodeType_))
{
}

ModelNode::~ModelNode()
{
    // Deep trees: release children bottom-up iteratively so a hostile description cannot
    // overflow the stack while the tree is destroyed.
    std::vector<std::unique_ptr<ModelNode>> pending(std::make_move_iterator(m_children.begin()),
                                                    std::make_move_iterator(m_children.end()));
    m_children.clear();
    while (!pending.empty()) {
        std::unique_ptr<ModelNode> node = std::move(pending.back());
        pending.pop_back();
        for (std::unique_ptr<ModelNode>& child : node->m_children)
            pending.push_back(std::move(child));
        node->m_children.clear();
    }
}

ModelNode* ModelNode::addChild(std::unique_ptr<ModelNode> child)
{
    if (!child)
        return nullptr;
    child->m_parent = this;
    m_children.push_back(std::move(child));
    return m_children.back().get();
}

ModelNode* ModelNode::addChild(std::uint32_t type, const std::string& caption)
{
    auto child = std::make_unique<ModelNode>(systemKind, type);
    child->name = caption;
    return addChild(std::move(child));
}

ModelNode* ModelNode::addValueRow(std::uint32_t type, const std::string& caption, const std::string& value)
{
    ModelNode* row = addChild(type, caption);
    if (!value.empty())
        row->values.push_back(value);
    return row;
}

void ModelNode::reserveChildren(std::size_t count)
{
    m_children.reserve(m_children.size() + count);
}

bool ModelNode::removeChild(std::size_t position)
{
    return takeChild(position) != nullptr;
}

void ModelNode::clearChildren()
{
    CompactVector<std::unique_ptr<ModelNode>> doomed = std::move(m_children);
    for (std::unique_ptr<ModelNode>& child : doomed)
        child->m_parent = nullptr;
}

std::unique_ptr<ModelNode> ModelNode::takeChild(std::size_t position)
{
    if (position >= m_children.size())
        return nullptr;
    std::unique_ptr<ModelNode> child = std::move(m_children[position]);
    m_children.erase(m_children.begin() + static_cast<std::ptrdiff_t>(position));
    child->m_parent = nullptr;
    return child;
}

ModelNode* ModelNode::childAt(std::size_t position) const
{
    return position < m_children.size() ? m_children[position].get() : nullptr;
}

const std::string& ModelNode::firstValue() const
{
    static const std::string empty;
    return values.empty() ? empty : values.front();
}

const std::string& ModelNode::unit() const
{
    static const std::string none;
    return m_unit ? *m_unit : none;
}

namespace {

// The units descriptions use again and again are shared rather than made for every row.
const std::string kCommonUnits[] = {"V", "mV", "A", "mA", "degC", "Hz", "kHz", "Ohm", "s", "ms", "%"};

bool isCommonUnit(const std::string* unit)
{
    const std::less<const std::string*> before;
    return !before(unit, std::begin(kCommonUnits)) && before(unit, std::end(kCommonUnits));
}

} // namespace

void ModelNode::UnitDeleter::operator()(const std::string* unit) const
{
    if (!isCommonUnit(unit))
        delete unit;
}

void ModelNode::setUnit(const std::string& unit)
{
    if (unit.empty()) {
        m_unit.reset();
        return;
    }
    for (const std::string& common : kCommonUnits) {
        if (unit == common) {
            m_unit.reset(&common);
            return;
        }
    }
    m_unit.reset(new std::string(unit));
}

ModelNodePtr ModelNode::sharedHandle()
{
    return ModelNodePtr(this, [](ModelNode*) {});
}

} // namespace z2e
