#include "app/error_record.h"

#include <gtest/gtest.h>

#include "app/base.h"

namespace {

class FailingObject : public CBvBase {
public:
    FailingObject(std::string name, int32_t status, uint32_t systemError) : CBvBase(std::move(name)) {
        SetStatus(status);
        SetSystemError(systemError);
    }
};

}  // namespace

TEST(Base, FreshObjectReportsSuccess) {
    CBvBase object("CBvConfigInfo");
    EXPECT_EQ(object.GetStatus(), 0);
    EXPECT_EQ(object.GetSystemError(), 0);
    EXPECT_EQ(object.GetObjectName(), "CBvConfigInfo");
}

TEST(ErrorRecord, StartsEmptyWithNoComponent) {
    CBvErrorRecord record;
    EXPECT_EQ(record.GetComponentIndex(), 255);
    EXPECT_EQ(record.GetStatus(), 0);
    EXPECT_EQ(record.GetSystemError(), 0u);
    EXPECT_TRUE(record.GetDetailText().empty());
}

TEST(ErrorRecord, LaterPlainRecordKeepsComponentAndDetail) {
    CBvErrorRecord record;
    record.RecordComponentFailure(FailingObject("CBvFwComponent", ERR_FILE_OPEN, 2), 3);
    record.RecordFailureDetail(FailingObject("CBvScsi_Nt", ERR_SCSI_COMMAND, 0), L"sense");
    record.RecordFailure(FailingObject("CBvUsbMscDev", ERR_LOCK, 5));
    EXPECT_EQ(record.GetObjectName(), "CBvUsbMscDev");
    EXPECT_EQ(record.GetStatus(), ERR_LOCK);
    EXPECT_EQ(record.GetSystemError(), 5u);
    EXPECT_EQ(record.GetComponentIndex(), 3);
    EXPECT_EQ(record.GetDetailText(), L"sense");
}

TEST(ErrorRecord, SetOverwritesOnlyStatusAndSystemError) {
    CBvErrorRecord record;
    record.RecordFailureDetail(FailingObject("CBvScsi_Nt", ERR_SCSI_COMMAND, 0), L"text");
    record.Set(ERR_SETTINGS_DELETE, 32);
    EXPECT_EQ(record.GetObjectName(), "CBvScsi_Nt");
    EXPECT_EQ(record.GetStatus(), ERR_SETTINGS_DELETE);
    EXPECT_EQ(record.GetSystemError(), 32u);
    EXPECT_EQ(record.GetDetailText(), L"text");
}
