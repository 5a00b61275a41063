package jvmtest;

// main returns at once; a non-daemon thread finishes only after the main thread has ended.
public class Outlives {
    public static void main(String[] args) {
        Thread main = Thread.currentThread();
        new Thread(() -> {
            try {
                main.join();
            } catch (InterruptedException e) {
                return;
            }
            System.out.println("thread done");
        }).start();
        System.out.println("main returns");
    }
}
