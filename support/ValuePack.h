#pragma once
// A sorted collection of fixed-size values: a red-black tree whose nodes also count their
// subtree, so that a value is found, and a position in ascending order is turned into a
// node and back, in logarithmic time. Descendants define the values' size and order.

#include "support/LocalHeap.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>

enum class TNodeColour : std::uint8_t { Red, Black };

struct TPackNode {
    TPackNode* Parent;
    TPackNode* Left;
    TPackNode* Right;
    std::int32_t Count;  // nodes in the subtree rooted here, this one included
    TNodeColour Colour;
    // The value, ValueSize bytes, follows the header.

    unsigned char* Value() { return reinterpret_cast<unsigned char*>(this) + sizeof(TPackNode); }
    const unsigned char* Value() const { return reinterpret_cast<const unsigned char*>(this) + sizeof(TPackNode); }
};

// Empty subtrees and the root's parent of every pack: it links to itself, counts 0 and is
// black, so that an empty subtree's count reads as 0 without a test. It is never written;
// being const, it lives in read-only memory and a stray write faults at once.
inline const TPackNode PackSentinel{const_cast<TPackNode*>(&PackSentinel), const_cast<TPackNode*>(&PackSentinel),
                                    const_cast<TPackNode*>(&PackSentinel), 0, TNodeColour::Black};

class TValuePack {
public:
    using TChangeEvent = std::function<void(TValuePack* sender)>;

    TValuePack() = default;
    virtual ~TValuePack();
    TValuePack(const TValuePack&) = delete;
    TValuePack& operator=(const TValuePack&) = delete;

    // Called on every change, with the pack as sender; may be unset.
    TChangeEvent OnChange;

    int Count() const { return ValueCount; }

    // Byte size of one value.
    virtual int ValueSize() const = 0;
    // Three-way comparison of two values: negative, zero or positive.
    virtual int CompareValues(const void* a, const void* b) const = 0;
    // Copies a value into a node's value bytes.
    virtual void CopyValue(void* destination, const void* source) const = 0;
    // Two extension points for descendants, given a node's value; nothing calls them.
    virtual void ValueHook(void* value);
    virtual void SecondValueHook(void* value);
    // Calls OnChange when it is set.
    virtual void DoChange();
    // Drops all values and frees the node memory; notifies only when something was held.
    virtual void Clear();

    // Inserts the value; when duplicates are not allowed and an equal value is held,
    // nothing happens. Equal values keep their order of insertion.
    void AddValue(const void* value, bool allowDuplicates);
    bool ContainsValue(const void* value) const;
    // The node of the value (the first equal one met from the root down), or nullptr.
    TPackNode* FindNode(const void* value) const;
    // The node at a zero-based position in ascending order; throws an Exception with the
    // message "Недопустимый номер элемента в дереве" for a position outside 0..Count-1.
    TPackNode* NodeAt(int index) const;
    // The zero-based position of the value. For a value not held: the position of one of
    // its two neighbours (-1 below every value, Count above every value, 0 when empty).
    int IndexOfValue(const void* value) const;

    // Between BeginUpdate and the matching EndUpdate changes are only recorded; the last
    // EndUpdate raises one notification when anything changed.
    void BeginUpdate();
    void EndUpdate();

    // Checks the red-black rules, the subtree counts, the links and the order; returns an
    // empty text when they hold, otherwise what is wrong.
    QString ValidateTree() const;

protected:
    // The change notification: recorded while updating, otherwise DoChange.
    void Changed();

private:
    static TPackNode* Nil() { return const_cast<TPackNode*>(&PackSentinel); }

    int NodeSize() const;
    TPackNode* NewNode(const void* value);
    void LinkNode(TPackNode* node);
    void RepairAfterInsert(TPackNode* node);
    void RotateLeft(TPackNode* node);
    void RotateRight(TPackNode* node);
    void ReplaceChild(TPackNode* parent, TPackNode* oldChild, TPackNode* newChild);
    QString ValidateSubtree(const TPackNode* node, int& blackHeight, const TPackNode*& previous) const;

    TLocalHeap Arena;
    TPackNode* Root = Nil();
    std::int32_t ValueCount = 0;
    std::int32_t UpdateCounter = 0;
    bool ChangePending = false;
};
