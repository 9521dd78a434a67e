// The sanitizer's shadow memory needs terabytes of address space, so a sanitized helper cannot limit
// its address space; it lets the allocator refuse large requests and ends at a resident-memory cap.
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1:max_allocation_size_mb=1024:hard_rss_limit_mb=2048";
}
