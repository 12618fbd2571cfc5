#pragma once
// A made-up folder tree and lister behind the walk's interfaces.
#include "browser/FileSearch.h"

#include <QString>
#include <deque>
#include <functional>
#include <map>
#include <utility>
#include <vector>

class FakeTree : public browser::SearchTree {
public:
    struct Node {
        QString name, path;
        int parent = -1;
        bool fsAncestor = false;
        std::vector<int> kids;
        bool expanded = false;
        int throwNumber = 0; // reading the name throws this once
    };
    std::vector<Node> nodes;
    std::vector<int> shown;
    QString selected;
    int walks = 0;
    bool walking = false;
    std::vector<QString> expanded; // names, in the order expanded
    std::function<void(int)> onName;

    int add(const QString& name, const QString& path, int parent = -1, bool fsAncestor = false)
    {
        nodes.push_back(Node{name, path, parent, fsAncestor, {}, false, 0});
        const int id = int(nodes.size()) - 1;
        (parent >= 0 ? nodes[size_t(parent)].kids : shown).push_back(id);
        return id;
    }

    const Node& at(int index) const
    {
        if (index < 0 || index >= Count())
            throw browser::SearchError{9, "Subscript out of range"};
        return nodes[size_t(shown[size_t(index)])];
    }

    int Count() const override { return int(shown.size()); }
    QString Name(int index) const override
    {
        const Node& n = at(index);
        if (onName)
            onName(index);
        if (const int number = std::exchange(const_cast<Node&>(n).throwNumber, 0))
            throw browser::SearchError{number, "Made-up failure"};
        return n.name;
    }
    QString Path(int index) const override { return at(index).path; }
    QString ParentPath(int index) const override
    {
        const Node& n = at(index);
        return n.parent >= 0 ? nodes[size_t(n.parent)].path : QString();
    }
    bool FileSystemAncestor(int index) const override { return at(index).fsAncestor; }
    bool HasSubFolders(int index) const override { return !at(index).kids.empty(); }
    void Expand(int index) override
    {
        at(index);
        const int id = shown[size_t(index)];
        if (nodes[size_t(id)].expanded || nodes[size_t(id)].kids.empty())
            return;
        nodes[size_t(id)].expanded = true;
        expanded.push_back(nodes[size_t(id)].name);
        std::vector<int> add;
        std::function<void(int)> collect = [&](int k) {
            add.push_back(k);
            if (nodes[size_t(k)].expanded)
                for (int c : nodes[size_t(k)].kids)
                    collect(c);
        };
        for (int c : nodes[size_t(id)].kids)
            collect(c);
        shown.insert(shown.begin() + index + 1, add.begin(), add.end());
    }
    QString SelectedFolder() const override { return selected; }
    void setWalking(bool on) override
    {
        walking = on;
        if (on)
            ++walks;
    }
    int indexOf(const QString& name) const
    {
        for (int i = 0; i < Count(); ++i)
            if (nodes[size_t(shown[size_t(i)])].name == name)
                return i;
        return -1;
    }
};

class FakeLister : public browser::FolderLister {
public:
    std::map<QString, int> files;              // path -> matching files
    std::map<QString, std::deque<int>> errors; // path -> next failures
    std::map<QString, int> foreverError;       // path -> failure every time
    std::map<QString, int> calls;
    std::function<void(const QString&)> onList;
    QString pattern;
    int count = 0;

    void setPattern(const QString& p) override { pattern = p; }
    int setPath(const QString& path) override
    {
        ++calls[path];
        if (onList)
            onList(path);
        if (auto it = foreverError.find(path); it != foreverError.end())
            return it->second;
        if (auto it = errors.find(path); it != errors.end() && !it->second.empty()) {
            const int e = it->second.front();
            it->second.pop_front();
            return e;
        }
        auto f = files.find(path);
        count = f == files.end() ? 0 : f->second;
        return 0;
    }
    int ListCount() const override { return count; }
};
