#include "Application.h"

int main(int argc, char* argv[])
{
    return hp::shell::runApplication(argc, argv);
}
