// The host executable: everything lives in the module.
#include "app/MainEntry.h"

int main(int argc, char** argv) { return main_entry(argc, argv); }
