#include "app/CommandHandlers.h"

void CCommandHandlers::Add(int id, CRun run, CState enabled, CState checked) {
    m_entries[id] = {std::move(run), std::move(enabled), std::move(checked)};
}

bool CCommandHandlers::Run(int id) const {
    const auto it = m_entries.find(id);
    if (it == m_entries.end())
        return false;
    it->second.fnRun();
    return true;
}

bool CCommandHandlers::IsEnabled(int id) const {
    const auto it = m_entries.find(id);
    return it != m_entries.end() && (!it->second.fnEnabled || it->second.fnEnabled());
}

bool CCommandHandlers::IsChecked(int id) const {
    const auto it = m_entries.find(id);
    return it != m_entries.end() && it->second.fnChecked && it->second.fnChecked();
}
