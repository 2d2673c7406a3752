#include "kvncc/driver.h"

int main(int argc, char **argv)
{
    return kvncc::runKvncc(std::vector<std::string>(argv + 1, argv + argc));
}
