#pragma once

#include <QList>

// Solve times in seconds, in the order they stood in the pasted text.
using TimeList = QList<float>;
