#include "salle30window.h"
Salle30::Salle30(QWidget *parent) : QMainWindow(parent) {}
