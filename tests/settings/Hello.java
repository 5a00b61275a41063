// The application packed into the settings tests' executables; it never runs.
public class Hello {
    public static void main(String[] args) {}
}
