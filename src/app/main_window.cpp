#include "app/main_window.h"
namespace qm { TForm1::TForm1() {} }
