#include "app/gui/application.h"

int main(int argc, char** argv) { return varelo::ExecutaPrograma(argc, argv); }
