#include "app/RunNodeShift.h"

int main(int argc, char* argv[])
{
    return RunNodeShift(argc, argv, NodeShiftParts());
}
