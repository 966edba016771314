// Heap tuning for the programs: freed memory kept for reuse, and the heap backed by 2 MB pages where the
// system offers them.
#pragma once

namespace zorvan {

// Call first thing in main(). A drawing at the table limit touches some 50 MB; where every first touch of a
// 4 KB page is costly (virtual machines above all), asking for 2 MB pages for the heap and reusing what was
// freed instead of handing it back to the system makes the main job up to twice as fast. Does nothing where
// the C library or the system does not take part.
void UseLargePagesForTheHeap();

}  // namespace zorvan
