// Every fixed text the library raises or logs, spelled exactly as the device library has always
// written them (including their odd wording). Plain texts are UTF-16; texts with placeholders are
// 8-bit {fmt} format strings, widened after formatting.
#pragma once

namespace devlib_instr::msg {

// API boundary, context and handles
inline constexpr char16_t apiPointerIsNull[] = u"The API pointer is nullptr";
inline constexpr char16_t invalidBuffer[] = u"Invalid buffer size or buffer is a null pointer";
inline constexpr char16_t wrongDecimalSeparator[] = u"Wrong decimal separator in the container";
inline constexpr char16_t invalidArgument[] = u"Invalid argument.";
inline constexpr char16_t internalError[] = u"An internal error occurred.";
inline constexpr char unknownAttributeFormat[] = "Unknown attribute for context: {}";
inline constexpr char16_t unableToConnect[] = u"Unable to connect to serial device.";
inline constexpr char16_t writingToContainerNotSupported[] = u"Writing to container is not supported for Torvik.";
inline constexpr char16_t logPrefixDebug[] = u"DEBUG: ";
inline constexpr char16_t logPrefixInfo[] = u"INFO: ";
inline constexpr char16_t logPrefixWarn[] = u"WARN: ";
inline constexpr char16_t logPrefixError[] = u"ERROR: ";

// Payload primitives (std::runtime_error texts, 8-bit)
inline constexpr char malformedInput[] = "Malformed input.";
inline constexpr char badCharacter[] = "Bad character.";
inline constexpr char insufficientData[] = "Insufficient data.";
inline constexpr char unknownDatalogSection[] = "Unknown GDC datalog section.";

// Reply decoding (category 0, code 5)
inline constexpr char16_t decodedDataOutOfRange[] = u"Decoded data is out of range";
inline constexpr char16_t controlVersionOutOfRange[] = u"The control version is out of range";
inline constexpr char16_t unexpectedHeaderSize[] = u"Unexpected header size";
inline constexpr char16_t unknownPayloadEncoding[] = u"Unknown payload encoding";
inline constexpr char16_t helloOutOfRange[] = u"Hello message is out of range";
inline constexpr char16_t unexpectedControlVersion[] = u"Unexpected memory config control version";
// what() of the std::invalid_argument raised for hello firmware digits that are no number
inline constexpr char invalidStoiArgument[] = "invalid stoi argument";

// Message handler
inline constexpr char standardErrorFormat[] = "Received a standard error response from device. {} ({})";
inline constexpr char unexpectedMessagePrefix[] = "Unexpected message from device: ";
inline constexpr char unexpectedMessageEmpty[] = "<empty>";
inline constexpr char unexpectedMessageMore[] = " ...";
inline constexpr char noOrInvalidResponseFormat[] = "No or invalid response to message '{}', try again... ({}/{})";
inline constexpr char16_t commErrorWhenSending[] = u"Communication error when sending command ";
inline constexpr char commErrorCodeFormat[] = ". Error code {}.";
inline constexpr char16_t timeoutWhenReceiving[] = u"Timeout when receiving message for ";
inline constexpr char16_t timeoutCommandSuffix[] = u" command.";
inline constexpr char unknownStandardError[] = "Unknown standard error.";
// The texts of the device's standard error replies ("?aq" and two decimal digits), by code.
struct StandardErrorText {
    unsigned code;
    const char* text;
};
inline constexpr StandardErrorText standardErrorTexts[] = {
    {0, "Command too long."},
    {1, "Illegal command."},
    {2, "Bad state for BP command."},
    {3, "Illegal parameter in command."},
    {8, "Format error or received checksum mismatch."},
    {9, "\"J\" command without FPS pin."},
    {10, "Command too short."},
    {11, "Command length mismatch,"},
    {12, "Unknown command."},
    {13, "Bad state for connect command."},
    {14, "Command received in wrong state."},
    {15, "Battery low."},
    {16, "Reading datalog data error."},
    {17, "Illegal address when reading datalog."},
    {18, "Datalog is empty."},
    {19, "Datalog start page too long."},
    {20, "Datalog buffer too small."},
};
// what() of the exceptions that carry no text of their own, alike on every platform
inline constexpr char unknownException[] = "Unknown exception";

// Request descriptions
inline constexpr char16_t helloDevice[] = u"Hello device";
inline constexpr char16_t connectDevice[] = u"Connect device";
inline constexpr char16_t disconnectDevice[] = u"Disconnect device";
inline constexpr char16_t readMemoryConfiguration[] = u"GDC Datalog: Read Memory Configuration";

// Exchange timing from TORVIK_EXCHANGE_POLICY (logged at WARN, once per context)
inline constexpr char policyIgnoredFormat[] =
    "TORVIK_EXCHANGE_POLICY is ignored, the protocol's exchange timing applies: {}";
inline constexpr char policyUnknownEntryFormat[] = "\"{}\" is not name=value with a known name";
inline constexpr char policyBadValueFormat[] = "\"{}\": {} takes a decimal number from {} to {}";
inline constexpr char policyChangedFormat[] =
    "TORVIK_EXCHANGE_POLICY changes the protocol's exchange timing: {} (a detector needs the protocol's values)";

// Serial link
inline constexpr char connectingToPortFailed[] = "Caught an exception while connecting to port ";
inline constexpr char portInUseFormat[] = "Serial port {} is in use by another program or device";
inline constexpr char portMissingFormat[] = "Serial port {} does not exist";
inline constexpr char portPermissionDeniedFormat[] =
    "Serial port {}: permission denied (add the user to the 'dialout' group and log in again)";
inline constexpr char portNotOpenedFormat[] = "Serial port {} does not open: {}";

// Tasks
inline constexpr char16_t taskWaitingForStart[] = u"Start: Waiting for the task to be started.";
inline constexpr char16_t taskStarted[] = u"Start: Task started.";
inline constexpr char16_t taskNotFinished[] = u"Thread not finished! Forgot to call CancelAndWait() in sub-class dtor?";

// Device
inline constexpr char16_t connectionFailed[] = u"Connection failed";
inline constexpr char stillWaitingFormat[] = "Still waiting for state change to {}. Current state is {}.";
inline constexpr char readStateFailedFormat[] = "Reading device state failed while waiting or state {}. Ignored!";
inline constexpr char16_t exceptionWhileClearing[] = u"Caught an exception while clearing the GDC datalog. ";

// GDC datalog reader and archive (category 3)
inline constexpr char16_t abortedByUser[] = u"Aborted by user";
inline constexpr char16_t deviceOrOutputPathUndefined[] = u"Device or the output file path is not defined";
inline constexpr char16_t deviceNotConnected[] = u"Device is not connected or serial port is not defined";
inline constexpr char16_t outputFileExists[] = u"Output file exists";
inline constexpr char16_t exceptionWhileReadingDatalog[] = u"Caught an exception while reading the GDC datalog. ";
inline constexpr char16_t unknownExceptionReadingDatalog[] =
    u"Caught an unknown exception while reading the GDC datalog";
inline constexpr char16_t unknownExceptionReadingDatalogDot[] =
    u"Caught an unknown exception while reading the GDC datalog.";
inline constexpr char16_t commErrorReadingDatalog[] = u"Communication error while reading the GDC datalog. Error code ";
inline constexpr char16_t unknownExceptionOpeningDatalog[] =
    u"Caught an unknown exception while opening the GDC datalog";
inline constexpr char16_t unknownExceptionWritingDatalog[] =
    u"Caught an unknown exception while writing the GDC datalog";
inline constexpr char16_t retriggeringMaintenance[] = u"Re-triggering maintenance mode.";
inline constexpr char16_t sayingHello[] = u"Saying hello to device.";
inline constexpr char16_t exchangingFootprint[] =
    u"Exchanging footprint with device, to generate device GSR-ID from response.";
inline constexpr char readingAllFormat[] = "Reading _all_ GDC datalog data for section {} from device.";
inline constexpr char readingNewFormat[] = "Reading _new_ GDC datalog data for section {} from device.";
inline constexpr char movingReadPointerFormat[] = "Moving read pointer of GDC datalog for section {}.";
inline constexpr char receivedPagesFormat[] = "Received {} page(s) for section {} from device.";
// Why an archive file could not be made (path, then the system's reason)
inline constexpr char archiveCreateFailedFormat[] = "Could not create the archive file for {}: {}";
inline constexpr char archiveWriteFailedFormat[] = "Could not write the archive file for {}: {}";
inline constexpr char archivePublishFailedFormat[] = "Could not store the complete archive as {}: {}";
inline constexpr char stagedFileInUse[] = "another run is writing this archive";
inline constexpr char stagedFileInTheWay[] = "something other than a file stands at its temporary name";
inline constexpr char stagedFileReplaced[] = "its temporary file was replaced meanwhile";
inline constexpr char16_t archiveKept[] =
    u"The archive was kept: the device may already have marked its new data as read.";
inline constexpr char16_t creatingSoftware[] = u"Torvik Device Library";
inline constexpr char16_t unknownText[] = u"Unknown";
inline constexpr char libraryVersionFormat[] = "{:02}.{:02}.{:02}";
inline constexpr char metaDataLogFormat[] =
    "Meta-data:\n   serial number : \"{}\"\n     part number : \"{}\"\n"
    "   GSR device ID : \"{}\"\nfirmware version : \"{}\"\n";
inline constexpr char deviceAndHostTimeFormat[] = "Device time is {}. Host time is {}.";

// Database layout and communicator (category 5 unless noted)
inline constexpr char16_t deviceNotDefined[] = u"Device is not defined";
inline constexpr char16_t readBlockSizeInvalid[] = u"Read block size is invalid";
inline constexpr char16_t responseDataSizeInvalid[] = u"Response data size is invalid";
inline constexpr char16_t deviceCommunicationFailed[] = u"Device communication failed";
inline constexpr char16_t databaseSectionInfoNull[] = u"Database section info is nullptr";
inline constexpr char16_t wrongSectionDataSize[] = u"Wrong section data size";
inline constexpr char16_t ecChannelOutOfRange[] = u"EC channel is out of range";
inline constexpr char16_t irChannelOutOfRange[] = u"IR channel is out of range";
inline constexpr char16_t invalidSensorNumber[] = u"Invalid sensor number";
inline constexpr char16_t channelNumberOutOfRange[] = u"Channel number is out of range";
inline constexpr char16_t channelIndexOutOfRange[] = u"Channel index is out of range";
inline constexpr char16_t sectionInfoNull[] = u"Section info is nullptr";
inline constexpr char16_t sectionOffsetOutOfRange[] = u"Section offset is out of range";
inline constexpr char16_t keyNotSupported[] = u"Channel configuration key does not supported";
inline constexpr char16_t sectionDataOutOfRange[] = u"Section data is out of range";
inline constexpr char16_t invalidStringLength[] = u"Invalid string length";
inline constexpr char16_t resultStorageNull[] = u"Result storage should be not nullptr";
inline constexpr char16_t readOfDatabaseFailedForKey[] = u"Read of the database failed for key ";
inline constexpr char16_t sectionDataSizeEmpty[] = u"Section data size is empty";
inline constexpr char16_t sectionDataSizeNotMultiple[] = u"Section data size is not multiples of 256";
inline constexpr char16_t unableToSwitchOff[] = u"Unable to switch off device";
inline constexpr char16_t unableToSwitchOn[] = u"Unable to switch on device";
inline constexpr char16_t writeErrorPrefix[] = u"An error occurred while writing the database: ";
inline constexpr char16_t writeStoppedDeviceOff[] =
    u"The write stopped with the device switched off; sections written before stay written. "
    u"Switch the device on and write the configuration again.";
inline constexpr char16_t writeStoppedConnected[] =
    u"The write stopped with the device still connected for a database write; it may have written "
    u"part of a section. Write the configuration again.";
inline constexpr char16_t sayingHallo[] = u"Saying hallo to device...";
inline constexpr char16_t partNumberPrefix[] = u"Part number: ";
inline constexpr char16_t serialNumberInfix[] = u". Serial number ";
inline constexpr char16_t connectToDevice[] = u"Connect to device...";
inline constexpr char16_t disconnectFromDevice[] = u"Disconnect from device...";
inline constexpr char16_t switchingDeviceOn[] = u"Switching device on ...";
inline constexpr char16_t writingDatabaseSuccessful[] = u"Writing database successful!";
inline constexpr char readingSectionFormat[] = "Reading section with {{{}}} bytes from database at address {} ...";
inline constexpr char readingBytesFormat[] = "Reading {{{}}} byte(s) from database at address {}";
inline constexpr char writingBytesFormat[] = "Writing {{{}}} byte(s) to database at address {}";
inline constexpr char writingBytesFailedFormat[] = "Writing {{{}}} byte(s) to database failed at address {}";
inline constexpr char featureNotSupportedFormat[] = "The feature {} is not yet supported";
// A section whose stored checksum does not match the bytes before it (address, stored, computed)
inline constexpr char checksumMismatchFormat[] =
    "The stored checksum of the database section at address 0x{:08X} does not verify: stored 0x{:04X}, "
    "computed 0x{:04X}";
inline constexpr char checksumRefusedFormat[] =
    "The database section at address 0x{:08X} would be sealed anew, but its stored checksum 0x{:04X} does not "
    "verify (computed 0x{:04X}): nothing was written";
inline constexpr char16_t nothingToWrite[] =
    u"The device already holds every value of the request: nothing was written.";

// Configuration document (category 5)
inline constexpr char16_t invalidKeyForPath[] = u"Invalid key in JSON for node path: ";
inline constexpr char16_t invalidTypeForPath[] = u"Invalid data type in JSON for node path: ";
inline constexpr char16_t convertingReadFailed[] = u"Converting of the read response in the internal structure failed";
inline constexpr char16_t convertingWriteFailed[] = u"Converting of the write request in the internal structure failed";
inline constexpr char16_t jsonCannotBeParsed[] = u"JSON data can not be parsed";
// What a refused request got wrong, logged at ERROR beside the record (the value, the path, the
// allowed texts; the version given, the version expected)
inline constexpr char notAllowedTextFormat[] = "\"{}\" is not a value of {}: the allowed values are {}";
inline constexpr char wrongVersionFormat[] =
    "The request's \"version\" is \"{}\": this library reads and writes \"{}\"";
inline constexpr char16_t exceptionParsingJson[] =
    u"Caught an exception while parsing the JSON configuration request. ";
inline constexpr char16_t readingDatabaseFailed[] = u"Reading of the database failed";
inline constexpr char16_t commErrorReadingConfiguration[] =
    u"Communication error while reading the configuration. CommError: ";
inline constexpr char16_t commErrorWritingConfiguration[] =
    u"Communication error while writing the configuration. CommError: ";
inline constexpr char16_t exceptionReadingConfiguration[] = u"Caught an exception while reading the configuration. ";
inline constexpr char16_t exceptionWritingConfiguration[] = u"Caught an exception while writing the configuration. ";
inline constexpr char16_t unknownExceptionReadingConfiguration[] =
    u"Caught an unknown exception while reading the configuration.";
inline constexpr char16_t unknownExceptionWritingConfiguration[] =
    u"Caught an unknown exception while writing the configuration.";
inline constexpr char16_t gasFeaturesInvalid[] = u"the gas features must be valid for unit conversion";
inline constexpr char16_t gasFeaturesNoUnit[] = u"the gas features must return a unit for all configured channels";
inline constexpr char16_t gasFeaturesInvalidUnit[] =
    u"the gas features must return a valid unit for all configured channels";

}  // namespace devlib_instr::msg
