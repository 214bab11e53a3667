// CCommandHandlers: what each command does, whether it can act now and whether it shows a check
// mark, registered where the object that serves it lives (the view, the main frame). Running a
// command or updating the menus is a lookup in this table.
#pragma once

#include <functional>
#include <unordered_map>

class CCommandHandlers {
public:
    using CRun = std::function<void()>;
    using CState = std::function<bool()>;

    // enabled: when the command can act (always, when not given); checked: its check mark (none,
    // when not given).
    void Add(int id, CRun run, CState enabled = {}, CState checked = {});
    bool Has(int id) const { return m_entries.contains(id); }
    // Runs the command's handler; false when it has none.
    bool Run(int id) const;
    // False for a command without a handler.
    bool IsEnabled(int id) const;
    bool IsChecked(int id) const;

private:
    struct SEntry {
        CRun fnRun;
        CState fnEnabled;
        CState fnChecked;
    };
    std::unordered_map<int, SEntry> m_entries;
};
