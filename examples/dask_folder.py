"""Summarises every .txt file of a folder on a local Dask cluster of two
worker processes and prints {file name: summary} as JSON.

    python3 dask_folder.py FOLDER [PERCENT]
"""
import json
import pathlib
import sys

from dask.distributed import Client, LocalCluster

import vellumtrace


def summarize_file(path, summarize):
    # Runs on a worker: the Summarizer arrives pickled as its dictionary's
    # path and file identity plus its options.
    return summarize(pathlib.Path(path).read_bytes()).text


def summarize_folder(folder, percent=20, language="en"):
    paths = sorted(pathlib.Path(folder).glob("*.txt"))
    summarize = vellumtrace.Summarizer(language, percent=percent)
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                      dashboard_address=None) as cluster, Client(cluster) as client:
        futures = client.map(summarize_file, [str(p) for p in paths], summarize=summarize)
        return {p.name: text for p, text in zip(paths, client.gather(futures))}


if __name__ == "__main__":
    percent = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    json.dump(summarize_folder(sys.argv[1], percent), sys.stdout, ensure_ascii=False, indent=1)
    print()
