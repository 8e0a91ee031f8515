// Stands in for a freshly installed program: records that it ran by writing
// "ran" to a file named like itself plus ".ran", then keeps running for the
// number of milliseconds in a file named like itself plus ".stay" (3000
// when there is none), as a real program would stay open.
#include <chrono>
#include <fstream>
#include <limits.h>
#include <string>
#include <thread>
#include <unistd.h>

int main()
{
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return 1;
    const std::string self(buf, static_cast<std::size_t>(n));
    std::ofstream(self + ".ran") << "ran";
    long stay = 3000;
    std::ifstream(self + ".stay") >> stay;
    std::this_thread::sleep_for(std::chrono::milliseconds(stay));
    return 0;
}
