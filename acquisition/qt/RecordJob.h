#pragma once
// An import or an export of a record file: on the window's thread when it is small, else on a
// worker behind a wait dialog that shows its progress and offers Cancel.

#include <QWidget>
#include <cstddef>
#include <functional>
#include <string_view>

#include "acquisition/RecordFile.h"

// About 50 ms of work; anything larger goes to a worker.
inline constexpr std::size_t kRecordJobInPlaceBytes = std::size_t{2} << 20;

// Returns when `job` has ended. `job` must touch nothing of the window: it may run on a worker.
void runRecordJob(QWidget* parent, std::size_t bytes, std::string_view waitText,
                  std::string_view cancelCaption,
                  const std::function<void(const JobControl&)>& job);
