#pragma once
#include <QMainWindow>
namespace qm {
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    TForm1();
};
}
