#pragma once

#include <QString>
#include <QStringView>

namespace exchange {
// For the text of an element: "&", "<", ">" and '"' as references.
QString escapeHtml(QStringView text);
} // namespace exchange
