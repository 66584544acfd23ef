#pragma once

namespace tavelin {

// Marks the upper halves of the vector registers unused where the processor has them (AVX). While
// they are in use, code built for baseline x86-64 pays a penalty on every SSE instruction, and with
// it every exp, sin, cos and log; Qt's start-up, its drawing and its event loop leave them in use.
// Long arithmetic runs that may follow the toolkit call this first. Elsewhere it does nothing.
void ClearVectorState();

}  // namespace tavelin
