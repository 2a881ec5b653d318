"""Converts every DXF drawing of the folders given in one batch to DIN, and those DIN files back
to DXF in one batch, each in several orders (sorted, reversed, shuffled), and checks that every
output is the same bytes whatever came before it in the batch.

usage: check_batch_order.py DXFDIN FOLDER...

The drawings are copied into one folder first, numbered, so that drawings of the same name in
different folders stay apart. Drawings cut off are written as far as they go (--partial)."""
import filecmp
import glob
import os
import random
import shutil
import subprocess
import sys
import tempfile


def convert(dxfdin, command, inputs, out, config):
    os.makedirs(out)
    env = dict(os.environ, XDG_CONFIG_HOME=config)
    # A drawing that fails (cut off, binary) fails in every order alike; the outputs tell.
    subprocess.run([dxfdin, command, "-q", "--partial", "-o", out] + inputs, env=env)
    return sorted(os.listdir(out))


def orders(files):
    shuffled = list(files)
    random.Random(21).shuffle(shuffled)
    return {"sorted": sorted(files), "reversed": sorted(files, reverse=True), "shuffled": shuffled}


def main():
    dxfdin, folders = sys.argv[1], sys.argv[2:]
    problems = []
    with tempfile.TemporaryDirectory() as work:
        drawings = os.path.join(work, "drawings")
        os.makedirs(drawings)
        for folder in folders:
            for number, path in enumerate(sorted(glob.glob(os.path.join(folder, "*.dxf")))):
                name = "%s-%d-%s" % (os.path.basename(os.path.normpath(folder)), number,
                                     os.path.basename(path).lower())
                shutil.copyfile(path, os.path.join(drawings, name))
        dxf_files = [os.path.join(drawings, name) for name in os.listdir(drawings)]
        config = os.path.join(work, "config")
        os.makedirs(config)

        def compare(command, files, what):
            outputs = {}
            for order, inputs in orders(files).items():
                out = os.path.join(work, "%s-%s" % (command, order))
                outputs[order] = (out, convert(dxfdin, command, inputs, out, config))
            first, (first_dir, first_names) = next(iter(outputs.items()))
            if not first_names:
                problems.append("%s %s: nothing converted" % (what, command))
            for order, (out, names) in outputs.items():
                if names != first_names:
                    problems.append("%s %s: %s gives other files than %s" % (what, command, order, first))
                    continue
                for name in names:
                    if not filecmp.cmp(os.path.join(first_dir, name), os.path.join(out, name),
                                       shallow=False):
                        problems.append("%s: %s differs %s and %s" % (command, name, first, order))
            return [os.path.join(first_dir, name) for name in first_names]

        din_files = compare("to-din", dxf_files, "drawings")
        compare("to-dxf", din_files, "DIN files")
        for problem in problems:
            print(problem)
        print("converted %d drawings and %d DIN files in 3 orders each, %d problems"
              % (len(dxf_files), len(din_files), len(problems)))
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
