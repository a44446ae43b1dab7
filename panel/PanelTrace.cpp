#include "PanelTrace.h"

#include "Trace.h"

#include <cstdio>

namespace tarvex::panel {

Q_LOGGING_CATEGORY(lcPanel, "tarvex.panel", QtInfoMsg)

void EnableDebugTrace() {
    QLoggingCategory::setFilterRules(QStringLiteral("tarvex.panel.debug=true"));
    // Where TARVEX_TRACE already sends the controller's lines, they stay there.
    if (!TraceEnabled())
        SetTraceSink([](std::string_view line) {
            std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
        });
}

} // namespace tarvex::panel
