// Built only by the test model_refuses_qt, with the model's include path:
// this must not compile.
#include "roompanel.h"

#include <QtWidgets/QWidget>
