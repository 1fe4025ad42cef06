// The print processor's handling of a job against a scripted spooler: the
// calls it makes and their order, what reaches the printer, pause, resume
// and cancel from the spooler's other thread, and the error it reports.
#include "driversrc/kvt-580duo/PrintProcessor/PrintProcessorJob.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/ports/WinCodes.h"

namespace kvt::processor {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string Narrow(std::u16string_view text) { return std::string(text.begin(), text.end()); }

class ScriptedSpooler final : public ports::ProcessorSpooler {
public:
    Bytes job;
    Bytes printed;
    std::vector<std::string> calls;
    std::map<std::string, std::uint32_t> failures;  // call name to its error
    std::uint32_t writeLimit = 1u << 30;            // bytes a write takes at most
    std::function<void()> afterRead;

    std::uint32_t openPrinter(std::u16string_view name, ports::PrinterHandle& printer) override {
        calls.push_back("open " + Narrow(name));
        printer.value = name.find(u", Job ") == std::u16string_view::npos ? 1 : 2;
        return failure(name.find(u", Job ") == std::u16string_view::npos ? "open printer" : "open job");
    }
    std::uint32_t startDocPrinter(ports::PrinterHandle printer, std::u16string_view document,
                                  std::u16string_view output, std::u16string_view type) override {
        calls.push_back("start " + std::to_string(printer.value) + " " + Narrow(document) + "|" + Narrow(output) +
                        "|" + Narrow(type));
        return failure("start");
    }
    std::uint32_t readPrinter(ports::PrinterHandle, std::span<std::uint8_t> buffer, std::uint32_t& read) override {
        if (const auto status = failure("read"); status != err::Success) return status;
        read = static_cast<std::uint32_t>(std::min(buffer.size(), job.size() - readAt));
        std::copy_n(job.begin() + static_cast<std::ptrdiff_t>(readAt), read, buffer.begin());
        readAt += read;
        if (afterRead) afterRead();
        return err::Success;
    }
    std::uint32_t writePrinter(ports::PrinterHandle printer, std::span<const std::uint8_t> data,
                               std::uint32_t& written) override {
        EXPECT_EQ(printer.value, 1u) << "written to the job instead of the printer";
        if (const auto status = failure("write"); status != err::Success) return status;
        written = static_cast<std::uint32_t>(std::min<std::size_t>(data.size(), writeLimit));
        printed.insert(printed.end(), data.begin(), data.begin() + written);
        return err::Success;
    }
    std::uint32_t endDocPrinter(ports::PrinterHandle printer) override {
        calls.push_back("end " + std::to_string(printer.value));
        return failure("end");
    }
    std::uint32_t closePrinter(ports::PrinterHandle printer) override {
        calls.push_back("close " + std::to_string(printer.value));
        return err::Success;
    }

private:
    std::uint32_t failure(const std::string& call) {
        const auto found = failures.find(call);
        return found == failures.end() ? err::Success : found->second;
    }
    std::size_t readAt = 0;
};

// Stands for the spooler thread: a wait on the closed gate runs `whileClosed`,
// which must open it (resume or cancel) as the other thread would.
class ScriptedGate final : public ports::JobGate {
public:
    bool isOpen = true;
    int blockedWaits = 0;
    std::function<void()> whileClosed;
    void close() override { isOpen = false; }
    void open() override { isOpen = true; }
    void wait() override {
        if (isOpen) return;
        ++blockedWaits;
        ASSERT_TRUE(whileClosed) << "the job would wait for ever";
        whileClosed();
        ASSERT_TRUE(isOpen) << "the job would wait for ever";
    }
};

Bytes Pattern(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
    return bytes;
}

class PrintProcessorJobTest : public ::testing::Test {
protected:
    ScriptedSpooler spooler;
    ScriptedGate gate;
    PrintProcessorJob job{spooler, gate, {u"Till 1", u"RAW", u"Receipt 42", u"", 17}};
};

TEST_F(PrintProcessorJobTest, CopiesTheJobToThePrinterInOneDocument) {
    spooler.job = Pattern(3 * kCopyChunkBytes + 5);
    spooler.writeLimit = 1000;  // a printer that takes part of each chunk
    EXPECT_EQ(job.printDocument(), err::Success);
    EXPECT_EQ(spooler.printed, spooler.job);
    const std::vector<std::string> calls{"open Till 1", "start 1 Receipt 42||RAW", "open Till 1, Job 17", "close 2",
                                         "end 1", "close 1"};
    EXPECT_EQ(spooler.calls, calls);
}

struct FailureRow {
    const char* name;
    const char* call;
    std::vector<std::string> calls;  // what the processor still does
};

class JobFailureTest : public PrintProcessorJobTest, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(JobFailureTest, ReportsTheFailedCallAndClosesWhatItOpened) {
    spooler.job = Pattern(100);
    spooler.failures[GetParam().call] = 1234;
    EXPECT_EQ(job.printDocument(), 1234u);
    EXPECT_EQ(spooler.calls, GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, JobFailureTest,
    ::testing::Values(
        FailureRow{"OpenPrinter", "open printer", {"open Till 1"}},
        FailureRow{"StartDoc", "start", {"open Till 1", "start 1 Receipt 42||RAW", "close 1"}},
        FailureRow{"OpenJob", "open job", {"open Till 1", "start 1 Receipt 42||RAW", "open Till 1, Job 17", "end 1", "close 1"}},
        FailureRow{"Read", "read", {"open Till 1", "start 1 Receipt 42||RAW", "open Till 1, Job 17", "close 2", "end 1", "close 1"}},
        FailureRow{"Write", "write", {"open Till 1", "start 1 Receipt 42||RAW", "open Till 1, Job 17", "close 2", "end 1", "close 1"}},
        FailureRow{"EndDoc", "end", {"open Till 1", "start 1 Receipt 42||RAW", "open Till 1, Job 17", "close 2", "end 1", "close 1"}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(PrintProcessorJobTest, APrinterThatTakesNothingEndsTheJobWithAnError) {
    spooler.job = Pattern(10);
    spooler.writeLimit = 0;
    EXPECT_EQ(job.printDocument(), err::InvalidFunction);
}

TEST_F(PrintProcessorJobTest, APausedJobWaitsUntilResumed) {
    spooler.job = Pattern(2 * kCopyChunkBytes);
    spooler.afterRead = [&] {
        if (spooler.printed.empty()) {
            EXPECT_EQ(job.control(job_control::Pause), err::Success);
        }
    };
    gate.whileClosed = [&] {
        EXPECT_EQ(spooler.printed.size(), kCopyChunkBytes) << "the chunk in hand is written before the pause";
        EXPECT_EQ(job.control(job_control::Resume), err::Success);
    };
    EXPECT_EQ(job.printDocument(), err::Success);
    EXPECT_EQ(gate.blockedWaits, 1);
    EXPECT_EQ(spooler.printed, spooler.job);
}

TEST_F(PrintProcessorJobTest, CancelAndDeleteEndThePausedJobWithoutTheRest) {
    for (std::uint32_t command : {job_control::Cancel, job_control::Delete}) {
        ScriptedSpooler fresh;
        ScriptedGate freshGate;
        PrintProcessorJob paused{fresh, freshGate, {u"Till 1", u"raw", u"Doc", u"", 3}};
        fresh.job = Pattern(3 * kCopyChunkBytes);
        ASSERT_EQ(paused.control(job_control::Pause), err::Success);
        freshGate.whileClosed = [&] { EXPECT_EQ(paused.control(command), err::Success); };
        EXPECT_EQ(paused.printDocument(), err::Success) << command;
        EXPECT_TRUE(fresh.printed.empty()) << command;
        EXPECT_EQ(fresh.calls.back(), "close 1") << "the document is ended and the printer closed";
    }
}

TEST_F(PrintProcessorJobTest, ACancelledJobPrintsNothing) {
    ASSERT_EQ(job.control(job_control::Cancel), err::Success);
    EXPECT_EQ(job.printDocument(), err::Success);
    EXPECT_TRUE(spooler.calls.empty());
    EXPECT_EQ(job.control(job_control::Restart), err::InvalidParameter);
}

TEST(PrintProcessorDataTypes, OnlyRawWithoutRegardToCase) {
    struct Row {
        std::u16string printer, type;
        std::uint32_t open;
    };
    for (const Row& row : {Row{u"Till 1", u"RAW", err::Success}, Row{u"Till 1", u"raw", err::Success},
                           Row{u"Till 1", u"", err::Success}, Row{u"Till 1", u"NT EMF 1.008", err::InvalidDatatype},
                           Row{u"", u"RAW", err::InvalidParameter}}) {
        EXPECT_EQ(CheckOpenData({row.printer, row.type, u"", u"", 1}), row.open) << Narrow(row.type);
    }
    ProcessorCapabilities caps;
    caps.numberOfCopies = 9;
    EXPECT_EQ(GetCapabilities(u"Raw", caps), err::Success);
    EXPECT_EQ(caps.numberOfCopies, 1u);
    EXPECT_EQ(caps.nupOptions, 1u);
    EXPECT_EQ(GetCapabilities(u"TEXT", caps), err::InvalidDatatype);
    EXPECT_EQ(DataTypes(), std::vector<std::u16string>{u"RAW"});
}

}  // namespace
}  // namespace kvt::processor
