#pragma once
// The fields of PRINTER_INFO_2 that the spooler ports carry, copied from a
// winspool record and into one, for either character width: the ANSI
// adapter of the setup programs and the wide adapter of the plug-in share it.

namespace kvt::win32 {

// `text` turns a record's text pointer (possibly null) into the port's string.
template <typename Info, typename Record, typename TextOf>
Info ReadPrinterInfo2(const Record& p, TextOf text) {
    Info info;
    info.serverName = text(p.pServerName);
    info.printerName = text(p.pPrinterName);
    info.shareName = text(p.pShareName);
    info.portName = text(p.pPortName);
    info.driverName = text(p.pDriverName);
    info.comment = text(p.pComment);
    info.location = text(p.pLocation);
    info.sepFile = text(p.pSepFile);
    info.printProcessor = text(p.pPrintProcessor);
    info.dataType = text(p.pDatatype);
    info.parameters = text(p.pParameters);
    info.attributes = p.Attributes;
    info.priority = p.Priority;
    info.defaultPriority = p.DefaultPriority;
    info.startTime = p.StartTime;
    info.untilTime = p.UntilTime;
    info.status = p.Status;
    info.jobs = p.cJobs;
    info.averagePpm = p.AveragePPM;
    return info;
}

// The texts of a record handed to winspool, alive as long as the record that
// points at them. `Arg` holds a terminated copy and gives the pointer; its
// OrNull form stands for a null pointer when the text is empty, as the
// spooler reads optional members.
template <typename Arg>
struct PrinterInfo2Texts {
    template <typename Info>
    explicit PrinterInfo2Texts(const Info& info)
        : printerName(info.printerName),
          shareName(Arg::OrNull(info.shareName)),
          portName(info.portName),
          driverName(info.driverName),
          comment(Arg::OrNull(info.comment)),
          location(Arg::OrNull(info.location)),
          sepFile(Arg::OrNull(info.sepFile)),
          printProcessor(info.printProcessor),
          dataType(Arg::OrNull(info.dataType)),
          parameters(Arg::OrNull(info.parameters)) {}

    // Texts and numbers; the device mode, the security descriptor and the
    // server name stay as they are in the record.
    template <typename Record, typename Info>
    void applyTo(Record& p, const Info& info) {
        p.pPrinterName = printerName.get();
        p.pShareName = shareName.get();
        p.pPortName = portName.get();
        p.pDriverName = driverName.get();
        p.pComment = comment.get();
        p.pLocation = location.get();
        p.pSepFile = sepFile.get();
        p.pPrintProcessor = printProcessor.get();
        p.pDatatype = dataType.get();
        p.pParameters = parameters.get();
        p.Attributes = info.attributes;
        p.Priority = info.priority;
        p.DefaultPriority = info.defaultPriority;
        p.StartTime = info.startTime;
        p.UntilTime = info.untilTime;
        p.Status = info.status;
    }

    Arg printerName, shareName, portName, driverName, comment, location, sepFile, printProcessor, dataType, parameters;
};

}  // namespace kvt::win32
