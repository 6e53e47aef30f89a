#include "runtime/upward.h"
#include "mainwindow/mainform.h"
