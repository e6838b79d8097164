// The host's handle on a GDC datalog read-out. The read-out itself (settings, task, progress,
// errors) is the private part `d`, which the reader slots use directly.
#pragma once

#include <memory>
#include <utility>

#include "core/Context.hpp"
#include "core/Handle.hpp"
#include "device/GdcDatalogReaderPrivate.hpp"

namespace devlib_instr {

class GdcDatalogReader : public ExternalRefCountableT<GdcDatalogReader> {
public:
    explicit GdcDatalogReader(ContextGuard context)
        : d(std::make_unique<GdcDatalogReaderPrivate>(std::move(context))) {}

    // Destroying d cancels a run still going and waits for it.
    const std::unique_ptr<GdcDatalogReaderPrivate> d;
};

using GdcDatalogReaderGuard = HandleGuard<GdcDatalogReader>;

}  // namespace devlib_instr
