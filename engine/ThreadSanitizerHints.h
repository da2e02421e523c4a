// What ThreadSanitizer cannot see inside oneTBB, told by hand: a parallel loop's fork and join.
#pragma once

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
extern "C" void AnnotateIgnoreReadsBegin(const char* file, int line);
extern "C" void AnnotateIgnoreReadsEnd(const char* file, int line);
#endif

namespace teilomat {

// ThreadSanitizer cannot see the synchronisation inside oneTBB, which is not
// built for it: these notes tell it what a parallel_for guarantees, that its
// tasks begin after it was called and that it returns after they end.
// Without ThreadSanitizer they cost nothing.
class ForkJoinNotes {
 public:
  void forking() { release(&fork_); }
  void taskBegins() { acquire(&fork_); }
  void taskEnds() { release(&join_); }
  void joined() { acquire(&join_); }

 private:
#if defined(__SANITIZE_THREAD__)
  static void acquire(void* address) { __tsan_acquire(address); }
  static void release(void* address) { __tsan_release(address); }
#else
  static void acquire(void*) {}
  static void release(void*) {}
#endif
  char fork_ = 0;
  char join_ = 0;
};

// A value read from a loop body that oneTBB copied: the copy is made inside
// oneTBB, after the fork was noted, so ThreadSanitizer is not shown the read.
template <class T>
T readCopiedBody(const T& value) {
#if defined(__SANITIZE_THREAD__)
  AnnotateIgnoreReadsBegin(__FILE__, __LINE__);
  const T copy = value;
  AnnotateIgnoreReadsEnd(__FILE__, __LINE__);
  return copy;
#else
  return value;
#endif
}

// What oneTBB copies into its tasks: two pointers. Each task notes the fork
// before it runs the real body, which stays on the forking thread's stack,
// and its end after. A task that throws notes no end: only the forking
// thread's own tasks may throw, and they come before its join anyway.
template <class Body>
class NotedBody {
 public:
  NotedBody(const Body& body, ForkJoinNotes& notes) : body_(&body), notes_(&notes) {}
  template <class Range>
  void operator()(const Range& range) const {
    ForkJoinNotes* const notes = readCopiedBody(notes_);
    const Body* const body = readCopiedBody(body_);
    notes->taskBegins();
    (*body)(range);
    notes->taskEnds();
  }

 private:
  const Body* body_;
  ForkJoinNotes* notes_;
};

// Notes the join when the scope ends, by return or by an exception.
class JoinedScope {
 public:
  explicit JoinedScope(ForkJoinNotes& notes) : notes_(notes) {}
  ~JoinedScope() { notes_.joined(); }
  JoinedScope(const JoinedScope&) = delete;
  JoinedScope& operator=(const JoinedScope&) = delete;

 private:
  ForkJoinNotes& notes_;
};

}  // namespace teilomat
