#pragma once

#include <QStringList>

namespace gleanwork {

// The command forms offered on the Actions page, in the order they are put
// into its drop-down list: the templates of the command table's rows.
const QStringList& CommandTemplates();

// The same templates as the drop-down list shows them: sorted, ignoring case.
QStringList SortedCommandTemplates();

}  // namespace gleanwork
