#pragma once
#include <QMainWindow>
class Salle30 : public QMainWindow {
    Q_OBJECT
public:
    explicit Salle30(QWidget *parent = nullptr);
};
