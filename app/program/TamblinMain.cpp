// Entry of both programs; they differ only in the main window layout they embed.
#include "app/Corvel.h"

int main(int argc, char** argv) { return Corvel(argc, argv); }
