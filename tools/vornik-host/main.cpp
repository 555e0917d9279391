// vornik-host: an offline VST 2.4 host for trying, rendering and checking the plug-in.
#include "HostCommand.h"

#include <iostream>

int main(int argc, char** argv) {
    try {
        const HostOptions options = HostOptionsParser::Parse(std::vector<std::string>(argv + 1, argv + argc));
        if (options.help) {
            std::cout << HostOptionsParser::Usage();
            return 0;
        }
        HostCommand::Run(options, std::cout);
        return 0;
    } catch (const UsageError& error) {
        std::cerr << "vornik-host: " << error.what() << "\nTry vornik-host --help.\n";
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "vornik-host: " << error.what() << "\n";
        return 1;
    }
}
