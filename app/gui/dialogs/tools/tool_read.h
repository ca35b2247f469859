#pragma once
// What a tool dialog reads of its node when it opens or on a button. It runs as the tools'
// changes do: on a worker behind the progress window, never on the GUI thread, so that a node
// that does not answer leaves the window responsive. On a network node the window offers Cancel.

#include "gui/dialogs/tools/tool_target.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>

class QWidget;

namespace z2e {

/// The words a dialog shows for a read the operator cancelled.
extern const char* const kReadCancelledText;

/// The Cancel of a wait on the node of `target`: raises `cancelled` and closes the node's link,
/// so that the waiting request ends at once. Empty where a request cannot be cut short (the
/// local driver). `cancelled` must outlive the wait.
std::function<void()> cancelOf(const ToolTarget& target, std::atomic<bool>& cancelled);

/// Runs `read` on a worker behind the progress window and returns its status, or 4101 when the
/// operator cancelled the wait (see cancelOf). What `read` writes may be used once this returns.
std::int32_t readBehindProgress(const ToolTarget& target, const QString& title, const QString& message, QWidget* parent,
                                const std::function<std::int32_t()>& read);

/// kReadCancelledText for 4101, else the application's text of `status`.
QString readFailureText(std::int32_t status);

} // namespace z2e
