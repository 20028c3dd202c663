#pragma once
// A calibration page over a simulated bus whose devices are already marked online.

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/TestBus.h"

template <typename Page>
struct OnlinePageBench {
    explicit OnlinePageBench(std::vector<int> addresses, double scale = 0.03)
        : bus(addresses, scale), page(bus.ctx) {
        bus.open();
        for (int a : addresses) bus.ctx.OnlineTable[a - 1] = 1;
    }
    template <typename T>
    T* find(const char* name) {
        T* w = page.template findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    TestBus bus;
    Page page;
};
