// The downloads from the meter's memory, as the reply decoder runs them:
// the list of stored measurements into the memory panel, and one
// measurement (its header, then its logged records ten to a block) into the
// data list window and the program-wide measurement.
//
// The meter answers one request at a time, in order, and nothing in a
// header or data-block reply says which request it answers. The download
// therefore keeps the requests it sent: a late second answer to a re-sent
// request is dropped, a reply shorter than its layout is asked for again,
// and a new click in the memory list ends the download that was running, so
// no record is ever stored twice, in the wrong row, or in another
// measurement.
#pragma once
#include <cstdint>

#include "polling/download.h"
#include "polling/payload.h"

namespace vkz {

// --- memory list -----------------------------------------------------------
// The end of the Memory action: counts from 0 and asks for the first entry.
void RequestMemoryList();
// Replies 0x0C (first entry) and 0x0D (further entries).
void MemoryListEntryReply(std::uint8_t code, Payload p);
// Reply 0xFF: the end of the list.
void MemoryListEndReply(Payload p);

// --- one measurement -------------------------------------------------------
// Ends a running download: later block replies are dropped.
void CancelDownload();
// Asks for the header of stored measurement `entryNo` (the memory-list click).
void RequestRecordHeader(int entryNo);
// Reply 0x0E: the header.
void RecordHeaderReply(Payload p);
// Reply 0x12: a block of logged records.
void DataBlockReply(Payload p);
// The poll tick's re-send step: an outstanding block (or header) request is
// sent again every third tick.
void DownloadPollTick();

}  // namespace vkz
