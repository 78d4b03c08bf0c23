#pragma once
// A list of names, each carrying an integer mark (the import plan lists, the match lists,
// the key-map names). Look-ups ignore letter case, Cyrillic included.

#include <QString>
#include <QStringList>
#include <QVector>

class TStringList {
public:
    int Count() const { return static_cast<int>(Items.size()); }
    bool IsEmpty() const { return Items.isEmpty(); }
    const QString& operator[](int i) const { return Items[i]; }
    const QString& At(int i) const { return Items[i]; }
    int Mark(int i) const { return Marks[i]; }
    void SetMark(int i, int mark) { Marks[i] = mark; }
    void Set(int i, const QString& text) { Items[i] = text; }

    int Add(const QString& text, int mark = 0) {
        Items.append(text);
        Marks.append(mark);
        return Count() - 1;
    }
    void Delete(int i) {
        Items.removeAt(i);
        Marks.removeAt(i);
    }
    void Clear() {
        Items.clear();
        Marks.clear();
    }
    // Index of the first entry equal to text ignoring letter case, or -1.
    int IndexOf(const QString& text) const {
        for (int i = 0; i < Items.size(); ++i)
            if (Items[i].compare(text, Qt::CaseInsensitive) == 0) return i;
        return -1;
    }
    bool Contains(const QString& text) const { return IndexOf(text) >= 0; }
    const QStringList& Strings() const { return Items; }

private:
    QStringList Items;
    QVector<int> Marks;
};
