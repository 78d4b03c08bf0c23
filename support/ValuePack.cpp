#include "support/ValuePack.h"

#include "support/Exception.h"

// The arena is freed with the pack; destruction notifies nobody, as the pack is half gone.
TValuePack::~TValuePack() { Root = Nil(); }

void TValuePack::ValueHook(void*) {}

void TValuePack::SecondValueHook(void*) {}

void TValuePack::DoChange() {
    if (OnChange) OnChange(this);
}

void TValuePack::Changed() {
    if (UpdateCounter > 0)
        ChangePending = true;
    else
        DoChange();
}

void TValuePack::BeginUpdate() { ++UpdateCounter; }

void TValuePack::EndUpdate() {
    if (UpdateCounter == 0) return;
    if (--UpdateCounter == 0 && ChangePending) {
        ChangePending = false;
        DoChange();
    }
}

void TValuePack::Clear() {
    if (ValueCount == 0) return;
    Root = Nil();
    ValueCount = 0;
    Arena.Clear();
    Changed();
}

TPackNode* TValuePack::FindNode(const void* value) const {
    TPackNode* node = Root;
    while (node != Nil()) {
        const int order = CompareValues(value, node->Value());
        if (order == 0) return node;
        node = order < 0 ? node->Left : node->Right;
    }
    return nullptr;
}

bool TValuePack::ContainsValue(const void* value) const { return FindNode(value) != nullptr; }

TPackNode* TValuePack::NodeAt(int index) const {
    if (index < 0 || index >= ValueCount)
        throw Exception(QStringLiteral("Недопустимый номер элемента в дереве"));
    TPackNode* node = Root;
    for (;;) {
        const int leftCount = node->Left->Count;
        if (index == leftCount) return node;
        if (index < leftCount)
            node = node->Left;
        else {
            index -= leftCount + 1;
            node = node->Right;
        }
    }
}

// Walks down as a search does, keeping the position of the current node: going left moves
// it back past the left child's right subtree, going right forward past its left subtree.
int TValuePack::IndexOfValue(const void* value) const {
    TPackNode* node = Root;
    int position = node->Left->Count;
    while (node != Nil()) {
        const int order = CompareValues(value, node->Value());
        if (order == 0) return position;
        if (order < 0) {
            node = node->Left;
            position -= 1 + node->Right->Count;
        } else {
            node = node->Right;
            position += 1 + node->Left->Count;
        }
    }
    return position;
}

void TValuePack::AddValue(const void* value, bool allowDuplicates) {
    if (!allowDuplicates && ContainsValue(value)) return;
    TPackNode* node = NewNode(value);  // may throw; nothing is changed yet
    ++ValueCount;
    LinkNode(node);
    RepairAfterInsert(node);
    Root->Colour = TNodeColour::Black;
    Changed();
}

// Header plus value, rounded so that the next node carved after it is aligned too.
int TValuePack::NodeSize() const {
    constexpr int alignment = static_cast<int>(alignof(TPackNode));
    const int size = static_cast<int>(sizeof(TPackNode)) + ValueSize();
    return (size + alignment - 1) / alignment * alignment;
}

TPackNode* TValuePack::NewNode(const void* value) {
    auto* node = static_cast<TPackNode*>(Arena.Alloc(NodeSize()));
    node->Parent = Nil();
    node->Left = Nil();
    node->Right = Nil();
    node->Count = 1;
    node->Colour = TNodeColour::Red;
    CopyValue(node->Value(), value);
    return node;
}

// Hangs the node where a search for its value ends, equal values going right, and counts
// it in every subtree on the way.
void TValuePack::LinkNode(TPackNode* node) {
    TPackNode* parent = Nil();
    TPackNode* current = Root;
    bool goesLeft = false;
    while (current != Nil()) {
        parent = current;
        goesLeft = CompareValues(node->Value(), current->Value()) < 0;
        current = goesLeft ? current->Left : current->Right;
    }
    node->Parent = parent;
    if (parent == Nil())
        Root = node;
    else if (goesLeft)
        parent->Left = node;
    else
        parent->Right = node;
    for (TPackNode* above = parent; above != Nil(); above = above->Parent) ++above->Count;
}

// The standard insertion repair: recolour while the parent and the uncle are red,
// otherwise one or two rotations end it. The sentinel is black, so the loop stops at the root.
void TValuePack::RepairAfterInsert(TPackNode* node) {
    while (node->Parent->Colour == TNodeColour::Red) {
        TPackNode* parent = node->Parent;
        TPackNode* grandparent = parent->Parent;
        const bool parentIsLeft = parent == grandparent->Left;
        TPackNode* uncle = parentIsLeft ? grandparent->Right : grandparent->Left;
        if (uncle->Colour == TNodeColour::Red) {
            parent->Colour = TNodeColour::Black;
            uncle->Colour = TNodeColour::Black;
            grandparent->Colour = TNodeColour::Red;
            node = grandparent;
            continue;
        }
        if (parentIsLeft) {
            if (node == parent->Right) {
                node = parent;
                RotateLeft(node);
                parent = node->Parent;
            }
            parent->Colour = TNodeColour::Black;
            grandparent->Colour = TNodeColour::Red;
            RotateRight(grandparent);
        } else {
            if (node == parent->Left) {
                node = parent;
                RotateRight(node);
                parent = node->Parent;
            }
            parent->Colour = TNodeColour::Black;
            grandparent->Colour = TNodeColour::Red;
            RotateLeft(grandparent);
        }
    }
}

void TValuePack::ReplaceChild(TPackNode* parent, TPackNode* oldChild, TPackNode* newChild) {
    if (parent == Nil())
        Root = newChild;
    else if (parent->Left == oldChild)
        parent->Left = newChild;
    else
        parent->Right = newChild;
}

// The node that moves up takes over the count of the one that moves down; the one that
// moves down counts what it keeps plus the subtree that came across.
void TValuePack::RotateLeft(TPackNode* node) {
    TPackNode* riser = node->Right;
    node->Right = riser->Left;
    if (riser->Left != Nil()) riser->Left->Parent = node;
    riser->Parent = node->Parent;
    ReplaceChild(node->Parent, node, riser);
    riser->Left = node;
    node->Parent = riser;
    riser->Count = node->Count;
    node->Count = node->Left->Count + node->Right->Count + 1;
}

void TValuePack::RotateRight(TPackNode* node) {
    TPackNode* riser = node->Left;
    node->Left = riser->Right;
    if (riser->Right != Nil()) riser->Right->Parent = node;
    riser->Parent = node->Parent;
    ReplaceChild(node->Parent, node, riser);
    riser->Right = node;
    node->Parent = riser;
    riser->Count = node->Count;
    node->Count = node->Left->Count + node->Right->Count + 1;
}

QString TValuePack::ValidateTree() const {
    const TPackNode* nil = Nil();
    if (nil->Parent != nil || nil->Left != nil || nil->Right != nil || nil->Count != 0 ||
        nil->Colour != TNodeColour::Black)
        return QStringLiteral("the sentinel was changed");
    if (Root->Parent != nil) return QStringLiteral("the root has a parent");
    if (Root->Colour != TNodeColour::Black) return QStringLiteral("the root is red");
    if (Root->Count != ValueCount)
        return QStringLiteral("Count is %1, the root counts %2").arg(ValueCount).arg(Root->Count);
    int blackHeight = 0;
    const TPackNode* previous = nullptr;
    return ValidateSubtree(Root, blackHeight, previous);
}

// Walks the subtree in order: previous is the last node visited, to check the order.
QString TValuePack::ValidateSubtree(const TPackNode* node, int& blackHeight, const TPackNode*& previous) const {
    if (node == Nil()) {
        blackHeight = 1;
        return QString();
    }
    if (node->Left != Nil() && node->Left->Parent != node) return QStringLiteral("a left child's parent link is wrong");
    if (node->Right != Nil() && node->Right->Parent != node)
        return QStringLiteral("a right child's parent link is wrong");
    if (node->Colour == TNodeColour::Red &&
        (node->Left->Colour == TNodeColour::Red || node->Right->Colour == TNodeColour::Red))
        return QStringLiteral("a red node has a red child");
    if (node->Count != node->Left->Count + node->Right->Count + 1) return QStringLiteral("a subtree count is wrong");
    int leftHeight = 0, rightHeight = 0;
    QString problem = ValidateSubtree(node->Left, leftHeight, previous);
    if (!problem.isEmpty()) return problem;
    if (previous && CompareValues(previous->Value(), node->Value()) > 0)
        return QStringLiteral("the values are out of order");
    previous = node;
    problem = ValidateSubtree(node->Right, rightHeight, previous);
    if (!problem.isEmpty()) return problem;
    if (leftHeight != rightHeight) return QStringLiteral("the black heights differ");
    blackHeight = leftHeight + (node->Colour == TNodeColour::Black ? 1 : 0);
    return QString();
}
