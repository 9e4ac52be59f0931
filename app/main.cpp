// qorvane: the program.
#include "app/qorvane.h"

int main(int argc, char** argv) { return QorvaneRun(argc, argv); }
