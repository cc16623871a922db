#!/usr/bin/env python3
"""Times the thread work of a UCI engine: the start cost of many short
searches, the latency from "stop" to "bestmove" by thread count, and how long
"setoption Threads 256" and a Hash change after it take to "readyok".

usage: thread-timings.py ENGINE [--searches N] [--stops N]
Wall-clock figures: on a shared machine they are noisy; compare runs side by side.
"""
import argparse
import statistics
import subprocess
import time


class Engine:
    def __init__(self, path):
        self.proc = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
        self.send("uci")
        self.wait_for("uciok")

    def send(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()

    def wait_for(self, prefix):
        while True:
            line = self.proc.stdout.readline()
            if not line:
                raise RuntimeError("engine closed its output")
            if line.startswith(prefix):
                return line

    def ready(self):
        self.send("isready")
        self.wait_for("readyok")

    def close(self):
        self.send("quit")
        self.proc.wait(timeout=60)


def timed(action):
    start = time.perf_counter()
    action()
    return (time.perf_counter() - start) * 1000.0


def start_cost(path, searches):
    e = Engine(path)
    e.send("setoption name Threads value 8")
    # The book would answer the start position without waking a thread.
    e.send("setoption name OwnBook value false")
    e.ready()
    e.send("position startpos")

    def run():
        for _ in range(searches):
            e.send("go depth 1")
            e.wait_for("bestmove")

    ms = timed(run)
    e.close()
    print(f"{searches} x go depth 1, Threads 8: {ms:.0f} ms ({ms / searches:.2f} ms each)")


def stop_latency(path, threads, stops):
    e = Engine(path)
    e.send(f"setoption name Threads value {threads}")
    e.ready()
    e.send("position startpos moves e2e4 e7e5 g1f3")
    samples = []
    for _ in range(stops):
        e.send("go infinite")
        time.sleep(0.3)
        samples.append(timed(lambda: (e.send("stop"), e.wait_for("bestmove"))))
        e.ready()
    e.close()
    samples.sort()
    print(f"stop->bestmove Threads {threads}: median {statistics.median(samples):.1f} ms, "
          f"max {samples[-1]:.1f} ms over {stops}")


def many_threads(path):
    e = Engine(path)
    threads_ms = timed(lambda: (e.send("setoption name Threads value 256"), e.ready()))
    hash_ms = timed(lambda: (e.send("setoption name Hash value 64"), e.ready()))
    quit_ms = timed(e.close)
    print(f"Threads 256 to readyok: {threads_ms:.0f} ms; Hash 64 after it: {hash_ms:.0f} ms; quit: {quit_ms:.0f} ms")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("engine")
    parser.add_argument("--searches", type=int, default=1000)
    parser.add_argument("--stops", type=int, default=30)
    args = parser.parse_args()
    start_cost(args.engine, args.searches)
    for threads in (1, 2, 4, 8):
        stop_latency(args.engine, threads, args.stops)
    many_threads(args.engine)


if __name__ == "__main__":
    main()
