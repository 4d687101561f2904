// The toolkit layer on a dialog of its own: keys, notifications, list box and
// list view operations, data exchange, nesting.
#include "UiTestSupport.h"

#include <gtest/gtest.h>

TEST(DialogLayer, Placeholder) {}
