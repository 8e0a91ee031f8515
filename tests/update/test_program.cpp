// Stands in for a freshly installed program: records that it ran by writing
// "ran" to a file named like itself plus ".ran".
#include <fstream>
#include <limits.h>
#include <string>
#include <unistd.h>

int main()
{
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return 1;
    std::ofstream(std::string(buf, static_cast<std::size_t>(n)) + ".ran") << "ran";
    return 0;
}
