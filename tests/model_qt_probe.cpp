// Built only by the test model_refuses_qt, with the model's include path:
// this must not compile.
#include "roommonitor.h"

#include <QtWidgets/QWidget>
