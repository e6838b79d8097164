// A minimal host of the Torvik device library in C++, written only against torvik/torvik.hpp:
// opens the detector on the serial port given on the command line, prints its whole configuration
// document and reads its datalog into a new ZIP archive.
//
//   host_example_cpp /dev/ttyUSB0 datalog.zip      (COM3 on Windows, or the port "torvik sim" prints)
//
// Every object has one owner that gives it up when it goes out of scope; failures arrive as
// torvik::Error with every error record of the failed call.
#include <exception>
#include <iostream>

#include "torvik/torvik.hpp"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: " << argv[0] << " SERIAL-PORT ARCHIVE.zip\n";
        return 2;
    }
    try {
        torvik::Context context;
        context.setLogCallback([](torvik::LogLevel level, std::string_view text) {
            if (level >= torvik::LogLevel::Warn) std::cerr << "torvik: " << text << '\n';
        });
        torvik::Device device(context);
        device.open(argv[1]);
        std::cout << torvik::Configuration(device).read(torvik::wholeConfigurationRequest) << '\n';

        torvik::DatalogReader reader(device);
        reader.setGateway("host_example_cpp", "1.0");
        reader.read(argv[2], [](double done) { std::cerr << "\rdatalog: " << int(done * 100) << " %" << std::flush; });
        std::cerr << "\ndatalog: read into " << argv[2] << '\n';
        return 0;
    } catch (const std::exception& e) {  // torvik::Error lists every record
        std::cerr << e.what() << '\n';
        return 1;
    }
}
